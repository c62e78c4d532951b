// List boxes of the dialogs: a list named by its control id, and its
// refill from the core's texts (Windows character set).
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

}  // namespace tarvo
