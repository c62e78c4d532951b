// The image files of the desktop program: "Open image..." and "New
// image..." of the "Mac &Drive" menu (a file dialog; a new image asks its
// size and is formatted), and the "Recent images" submenu: the last 8
// images attached, newest first, kept in the settings (organization
// "Tarvo", application "tarvo", key "recentImages"). Every image opened
// through here (menu, command line, drop) joins the list once attached.
#pragma once

#include <QMenu>
#include <QObject>
#include <QStringList>
#include <functional>
#include <optional>

namespace tarvo {

struct Context;
class DriveBus;
class QtUi;

class ImageFiles : public QObject {
  Q_OBJECT
 public:
  enum class Purpose { kOpen, kCreate };
  // Asks for an image's path; "" when cancelled.
  using PathChooser = std::function<QString(Purpose)>;

  ImageFiles(Context& ctx, DriveBus& bus, QtUi& ui, QWidget& window);
  // Replaces the file dialogs (the tests cannot drive a native one).
  void SetPathChooser(PathChooser chooser) { chooser_ = std::move(chooser); }
  // Puts "Recent images" into the menu before that action.
  void AddRecentMenu(QMenu& menu, QAction* before);

  void Open(const QString& path);
  void OpenChosen();    // "Open image..."
  void CreateChosen();  // "New image..."
  // Puts the image first in "Recent images".
  void Remember(const QString& path);
  QStringList recent() const;
  QMenu* recentMenu() const { return recentMenu_; }

 signals:
  void recentChosen(const QString& path);

 private:
  QString ChoosePath(Purpose purpose);
  std::optional<int> AskMegabytes();
  void FillRecentMenu();

  Context& ctx_;
  DriveBus& bus_;
  QtUi& ui_;
  QWidget& window_;
  PathChooser chooser_;
  QMenu* recentMenu_ = nullptr;
};

}  // namespace tarvo
