// The menu bar "KESTREL" and the listing's popup "POPMENU", built from the
// core's menu model: every item with its id (as the action's object name),
// its text with the mnemonic and the accelerator text after a tab, the
// separators, the initial grayed and checked states. "&Help" sits at the
// right end of the bar.
//
// Apply() shows a MenuState: enabled, checked and text of every item and the
// "&File" popup. Only checked items carry a check mark, so unchecked ones
// look like plain items. Hovering an item, grayed or not, reports its id;
// hovering a popup title or closing a menu reports 0, for the status-line
// help.
#pragma once

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <map>

#include "ui/menu_state.h"

namespace tarvo {

class CommandMenus : public QObject {
  Q_OBJECT
 public:
  explicit CommandMenus(QMainWindow& window);

  void Apply(const MenuState& state);
  QAction* action(int id) const;
  QMenu* popup(int index) const { return popups_.at(static_cast<std::size_t>(index)); }

  // Shows "POPMENU" at a screen point, with "Dump content" and "Edit
  // &Attributes" grayed for a folder; returns the id chosen or 0.
  int ExecListingPopup(const QPoint& global, bool rowIsFolder, QWidget* parent);
  // The popup for that row, not shown (for tests and screenshots).
  QMenu* BuildListingPopup(bool rowIsFolder, QWidget* parent);

 signals:
  void commandChosen(int id);
  void highlighted(int id);

 protected:
  // A grayed item is never highlighted, so the menu's hover signal misses
  // it: the mouse moving over it reports it here.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QMenu* BuildPopup(const struct MenuPopup& model, QWidget* parent);
  void Watch(QMenu* menu);

  std::vector<QMenu*> popups_;
  QMenu* fileMenu_ = nullptr;
  std::map<int, QAction*> actions_;
};

}  // namespace tarvo
