#include "command_menus.h"

#include <QMenuBar>
#include <QMouseEvent>

#include "qt_text.h"
#include "ui/menu_model.h"

namespace tarvo {

namespace {

QAction* AddItem(QMenu* menu, const MenuItem& item) {
  if (item.id == 0) return menu->addSeparator();
  QAction* action = menu->addAction(FromAnsi(std::string(item.text)));
  action->setObjectName(QString::number(item.id));
  action->setData(item.id);
  action->setEnabled(!item.grayed);
  action->setCheckable(item.checked);
  action->setChecked(item.checked);
  return action;
}

}  // namespace

CommandMenus::CommandMenus(QMainWindow& window) : QObject(&window) {
  QMenuBar* bar = window.menuBar();
  QMenuBar* rightBar = nullptr;
  for (const MenuPopup& model : MainMenu()) {
    QMenu* menu = BuildPopup(model, &window);
    if (model.rightAligned) {
      if (!rightBar) rightBar = new QMenuBar(bar);
      rightBar->addMenu(menu);
      connect(rightBar, &QMenuBar::hovered, this, [this] { emit highlighted(0); });
    } else {
      bar->addMenu(menu);
    }
  }
  if (rightBar) bar->setCornerWidget(rightBar, Qt::TopRightCorner);
  connect(bar, &QMenuBar::hovered, this, [this] { emit highlighted(0); });
}

QMenu* CommandMenus::BuildPopup(const MenuPopup& model, QWidget* parent) {
  auto* menu = new QMenu(FromAnsi(std::string(model.title)), parent);
  menu->setObjectName(FromAnsi(std::string(model.title)));
  for (const MenuItem& item : model.items) {
    QAction* action = AddItem(menu, item);
    if (item.id != 0) actions_[item.id] = action;
  }
  Watch(menu);
  if (model.title == "&File") fileMenu_ = menu;
  popups_.push_back(menu);
  return menu;
}

void CommandMenus::Watch(QMenu* menu) {
  connect(menu, &QMenu::triggered, this, [this](QAction* action) {
    if (const int id = action->data().toInt(); id != 0) emit commandChosen(id);
  });
  connect(menu, &QMenu::hovered, this, [this](QAction* action) { emit highlighted(action->data().toInt()); });
  connect(menu, &QMenu::aboutToHide, this, [this] { emit highlighted(0); });
  menu->installEventFilter(this);
}

bool CommandMenus::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove) {
    const auto* menu = static_cast<QMenu*>(watched);
    const QAction* item = menu->actionAt(static_cast<QMouseEvent*>(event)->position().toPoint());
    if (item && !item->isEnabled()) emit highlighted(item->data().toInt());
  }
  return QObject::eventFilter(watched, event);
}

void CommandMenus::Apply(const MenuState& state) {
  for (auto& [id, action] : actions_) {
    const ItemState& item = state.item(id);
    action->setEnabled(item.enabled);
    action->setCheckable(item.checked);
    action->setChecked(item.checked);
    if (!item.text.empty()) action->setText(FromAnsi(item.text));
  }
  if (fileMenu_) fileMenu_->menuAction()->setEnabled(state.fileMenuEnabled);
}

QAction* CommandMenus::action(int id) const {
  const auto found = actions_.find(id);
  return found == actions_.end() ? nullptr : found->second;
}

QMenu* CommandMenus::BuildListingPopup(bool rowIsFolder, QWidget* parent) {
  auto* menu = new QMenu(parent);
  menu->setObjectName(QStringLiteral("POPMENU"));
  for (const MenuItem& item : ListingPopupMenu()) AddItem(menu, item)->setEnabled(PopupItemEnabled(item.id, rowIsFolder));
  return menu;
}

int CommandMenus::ExecListingPopup(const QPoint& global, bool rowIsFolder, QWidget* parent) {
  QMenu* menu = BuildListingPopup(rowIsFolder, parent);
  connect(menu, &QMenu::hovered, this, [this](QAction* action) { emit highlighted(action->data().toInt()); });
  const QAction* chosen = menu->exec(global);
  const int id = chosen ? chosen->data().toInt() : 0;
  menu->deleteLater();
  return id;
}

}  // namespace tarvo

