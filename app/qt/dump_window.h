// The dump window ("filedump"), drawn over the core's DumpView: titled as
// the view says, 615 x 435, 32 lines from the view's position in an
// 11-pixel fixed-pitch font (Courier), a blank row after every 8 lines, a
// vertical scroll bar, and the FILEDUMP menu: "&File" (Data 100, Resource
// 101, File Parameter 102, Back to Main Screen 103), "&Fonts" (Ascii
// Macintosh 200, Ansi Windows 201, Ascii DOS 202) and "&Numeration"
// (Decimal 401, Hexadecimal 402); each item's object name is its id.
//
// Keys: Home the top, End the bottom, Page Up and Up a page up, Page Down
// and Down a page down. The window is modal over the main window until
// "Back to Main Screen", Esc or the close box.
#pragma once

#include <QActionGroup>
#include <QScrollBar>

#include "dialogs/tarvo_dialog.h"
#include "ui/dump_view.h"

namespace tarvo {

class DumpPage;

class DumpWindow : public TarvoDialog {
  Q_OBJECT
 public:
  DumpWindow(DumpView& view, QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QAction* AddChoice(QMenu* menu, QActionGroup* group, int id, const QString& text, bool checked);
  template <typename Action>
  void Apply(Action&& action);
  void OnScrollAction(int action);

  DumpView& view_;
  DumpPage* page_ = nullptr;
  QScrollBar* scrollBar_ = nullptr;
};

}  // namespace tarvo
