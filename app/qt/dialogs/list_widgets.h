// List boxes of the dialogs: a list named by its control id, its refill
// from the core's texts (Windows character set), and its double click.
#pragma once

#include <QListWidget>
#include <string>
#include <vector>

#include "qt_text.h"

namespace tarvo {

inline QListWidget* MakeIdList(int id, int minWidth, QWidget* parent) {
  auto* list = new QListWidget(parent);
  list->setObjectName(QString::number(id));
  list->setMinimumSize(minWidth, 180);
  return list;
}

inline void FillList(QListWidget* list, const std::vector<std::string>& texts) {
  list->clear();
  for (const std::string& text : texts) list->addItem(FromAnsi(text));
}

// Calls `open` with the row of the item double-clicked.
template <typename Open>
void OnRowDoubleClicked(QListWidget* list, QObject* context, Open open) {
  QObject::connect(list, &QListWidget::itemDoubleClicked, context,
                   [list, open](QListWidgetItem* item) { open(static_cast<std::size_t>(list->row(item))); });
}

}  // namespace tarvo
