// The common ground of the program's dialogs.
//
//   - the object name is the template's name (DLG_INFO, ...), the title is
//     the template's caption, and each control's object name is its id;
//   - a help button (id 149, the help icon) asks for the topic "dlg_" + the
//     name's suffix ("dlg_INFO") and leaves the dialog open;
//   - Esc and the close box end the dialog with 0, unless a dialog says
//     otherwise;
//   - a move by the user is reported (the main window then repaints and
//     clears its status line);
//   - the buttons stand in a column beside the controls or in a row below
//     them, the help button last, and the dialog keeps its size;
//   - the core's exceptions (a fatal error inside a button's action) leave
//     the dialog's event loop: the dialog closes and RunModal() rethrows.
#pragma once

#include <QBoxLayout>
#include <QDialog>
#include <QPushButton>
#include <exception>
#include <functional>
#include <initializer_list>
#include <utility>

namespace tarvo {

class TarvoDialog : public QDialog {
  Q_OBJECT
 public:
  TarvoDialog(const QString& templateName, const QString& title, QWidget* parent);

  // Runs the dialog modally and returns its result.
  int RunModal();
  QString helpTopic() const;

 signals:
  void helpRequested(const QString& topic);
  void userMoved();

 protected:
  QPushButton* MakeButton(int id, const QString& text);
  QPushButton* MakeHelpButton();
  // OK (101, the default button) and Cancel (100), running the actions.
  std::pair<QPushButton*, QPushButton*> MakeOkCancel(std::function<void()> ok, std::function<void()> cancel);
  // The buttons, then the help button: a column pushes help to the bottom,
  // a row pushes its buttons to the right of the `leading` ones.
  QBoxLayout* ButtonColumn(std::initializer_list<QPushButton*> buttons);
  QBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons, std::initializer_list<QPushButton*> leading = {});
  // The dialog's layout: the controls with the buttons beside them (a
  // column) or below them (a row), at a fixed size.
  void Arrange(QLayout* controls, QBoxLayout* buttons);
  void Arrange(QWidget* controls, QBoxLayout* buttons);
  // Runs a core action; an exception ends the dialog and waits for
  // RunModal() to rethrow it.
  template <typename Action>
  void Guard(Action&& action) {
    try {
      action();
    } catch (...) {
      failure_ = std::current_exception();
      done(0);
    }
  }
  void moveEvent(QMoveEvent* event) override;

 private:
  std::exception_ptr failure_;
};

}  // namespace tarvo
