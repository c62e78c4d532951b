// The user-interface port for the desktop: messages and questions as
// dialogs, the status line and progress bar in the main window, the
// animated wait cursor, the Esc poll, the help viewer and the dialogs of the
// core's models.
//
// Waiting: the first wait-cursor frame of an operation switches to the wait
// cursor and hands all key and mouse input to the input trap (only Esc is
// kept, for the abort poll); each frame lets paint and system events
// through. EndWait() gives the cursor and the input back; the main window
// calls it after every command, and every dialog calls it before it shows,
// so a question is always answered with the ordinary cursor and keyboard.
// Messages and boxes belong to the dialog on top, or to the main window.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "base/user_interface.h"
#include "input_trap.h"
#include "wait_cursor.h"

namespace tarvo {

class HelpWindow;
class MainView;
class TarvoDialog;

class QtUi : public QObject, public UserInterface {
  Q_OBJECT
 public:
  QtUi();
  ~QtUi() override;

  // What the port draws on: the main window and its client area; `repaint`
  // redraws the window from the core's state.
  void Attach(QWidget* window, MainView* view, std::function<void()> repaint);
  // Called when the user moves a dialog.
  void SetDialogMovedHandler(std::function<void()> handler) { dialogMoved_ = std::move(handler); }
  void SetHelpFile(const QString& path) { helpFile_ = path; }
  // How long MessageDialog waits before it closes itself.
  void SetMessageTimeout(int milliseconds) { messageTimeoutMs_ = milliseconds; }

  // Runs one of the program's dialogs modally (help button and moves
  // connected) and returns its result.
  int RunDialog(TarvoDialog& dialog);
  void EndWait();
  bool waiting() const { return waiting_; }
  void CloseHelp();

  int MessageDialog(const std::string& text, const std::string& caption) override;
  Answer ShowMessageBox(const std::string& text, const std::string& caption, Buttons buttons, Stakes) override;
  void PaintStatusLine(const std::string& left, const std::string& right) override;
  void PaintProgress(unsigned percent) override;
  void ShowWaitFrame(int frame) override;
  bool TakeEscapeKey() override;
  void Beep() override;
  void Repaint() override;
  void ShowListing(const std::vector<std::string>& lines) override;
  void ShowHelp(const std::string& topic) override;
  void ShowVolumeInfo(const VolumeInfo& info) override;
  void ShowAbout() override;
  void RunDeviceDialog(DeviceDialog& dialog) override;
  void RunPartitionDialog(PartitionDialog& dialog) override;
  SameDriveChoice AskSameDrive() override;
  CapacityAnswer AskCapacity() override;
  ExistingFileAnswer AskExistingFile(const std::string& text) override;
  void RunDestinationDialog(DestinationDialog& dialog) override;
  void RunMacCopyDialog(MacCopyDialog& dialog) override;
  void RunNameDialog(NameDialog& dialog) override;
  void RunNamingDialog(NamingDialog& dialog) override;
  void RunPortDialog(PortDialog& dialog) override;
  void RunRescueDialog(RescueDialog& dialog) override;
  void RunScanParametersDialog(ScanParametersDialog& dialog) override;
  void RunAttributesDialog(AttributesDialog& dialog) override;
  void RunLogDialog(LogDialog& dialog) override;
  void RunCommandDialog(CommandDialog& dialog) override;
  void RunDumpView(DumpView& view) override;

 private:
  QWidget* DialogParent() const;
  void OpenHelp(const QString& topic);

  QWidget* window_ = nullptr;
  MainView* view_ = nullptr;
  std::function<void()> repaint_;
  std::function<void()> dialogMoved_;
  QString helpFile_;
  int messageTimeoutMs_;
  std::unique_ptr<HelpWindow> help_;
  WaitCursor cursor_;
  InputTrap trap_;
  bool waiting_ = false;
};

}  // namespace tarvo
