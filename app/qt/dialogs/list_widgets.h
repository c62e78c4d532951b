// List boxes of the dialogs: a list named by its control id, its refill
// from the core's texts (Windows character set), and its double click.
#pragma once

#include <QLabel>
#include <QListWidget>
#include <string>
#include <vector>

#include "qt_text.h"

namespace tarvo {

// The list keeps its width, whatever Qt's default size and its names: the
// dialogs must fit over the main window; long names scroll.
inline QListWidget* MakeIdList(int id, int width, QWidget* parent) {
  auto* list = new QListWidget(parent);
  list->setObjectName(QString::number(id));
  list->setFixedWidth(width);
  list->setMinimumHeight(180);
  return list;
}

// A PC path shown in a dialog takes the width the lists give it, not its
// own: a deep path is cut at the right, and shown whole as its tip.
inline void ShowPath(QLabel* label, const QString& path) {
  label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  label->setText(path);
  label->setToolTip(path);
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
