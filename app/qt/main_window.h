// The main window "Tarvo": a fixed window around the 640 x 425 client area,
// with the menu bar "KESTREL", the accelerators, the six function buttons,
// the listing and the status line. It only draws the core's state and turns
// the user's input into the core's calls:
//
//   - a menu item, an accelerator, a function button or a popup item runs
//     its command number through the dispatcher; afterwards the wait is
//     ended and the window redrawn from the core (title, menu state,
//     buttons, client area);
//   - clicks in the listing go to the listing's mouse handling; a right
//     click on a row shows "POPMENU" there;
//   - hovering a menu item shows its help in the status line;
//   - "Open image..." and "New image..." and the "Recent images" submenu
//     attach image files (image_files.h);
//   - a single image file dropped on the window is attached and opened
//     (image_drive.h says what is an image); other files and folders
//     dropped are copied into the volume's current folder
//     (dropped_items.h);
//   - a close request (the close box, or "E&xit" and Esc, which the core
//     marks as `closeRequested`) asks "Exit Program"; Yes ends the event
//     loop with 0, No keeps the program running.
// A fatal error of the core during a command ends the event loop with 1.
#pragma once

#include <QMainWindow>

#include "command_menus.h"
#include "image_files.h"
#include "main_view.h"

namespace tarvo {

struct Context;
class DriveBus;
class QtUi;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  MainWindow(Context& ctx, QtUi& ui, DriveBus& bus);

  // Redraws everything from the core's state.
  void Refresh();
  void RunCommand(int id);
  // Attaches the image and opens its volume, as "Open image..." does.
  void OpenImage(const QString& path);
  bool fatal() const { return fatal_; }

  MainView& view() const { return *view_; }
  CommandMenus& menus() const { return *menus_; }
  ImageFiles& images() const { return *images_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  template <typename Action>
  void Guarded(Action&& action);
  void ShowListingPopup(QPoint at, QPoint global);
  void AfterCommand();

  Context& ctx_;
  QtUi& ui_;
  MainView* view_;
  CommandMenus* menus_;
  ImageFiles* images_;
  bool fatal_ = false;
};

}  // namespace tarvo
