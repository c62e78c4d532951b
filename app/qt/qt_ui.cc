#include "qt_ui.h"

#include <QApplication>
#include <QMessageBox>

#include "app_icon.h"
#include "dialogs/about_dialog.h"
#include "dialogs/attributes_dialog_box.h"
#include "dialogs/capacity_dialog.h"
#include "dialogs/command_dialog_box.h"
#include "dialogs/destination_dialog_box.h"
#include "dialogs/device_dialog_box.h"
#include "dialogs/existing_file_dialog.h"
#include "dialogs/info_dialog.h"
#include "dialogs/log_dialog_box.h"
#include "dialogs/mac_copy_dialog_box.h"
#include "dialogs/message_dialog.h"
#include "dialogs/name_dialog_box.h"
#include "dialogs/naming_dialog_box.h"
#include "dialogs/partition_dialog_box.h"
#include "dialogs/port_dialog_box.h"
#include "dialogs/rescue_dialog_box.h"
#include "dialogs/same_drive_dialog.h"
#include "dialogs/scan_parameters_dialog_box.h"
#include "dump_window.h"
#include "help_window.h"
#include "main_view.h"
#include "qt_text.h"

namespace tarvo {

namespace {

// Esc and the close box press Cancel, or No where there is no Cancel, as
// QMessageBox chooses its escape button.
QMessageBox::StandardButtons StandardButtonsOf(Buttons buttons) {
  switch (buttons) {
    case Buttons::kOk: return QMessageBox::Ok;
    case Buttons::kOkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::kYesNo: return QMessageBox::Yes | QMessageBox::No;
    case Buttons::kYesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

}  // namespace

QtUi::QtUi() : messageTimeoutMs_(MessageDialogBox::kTimeoutMs) {}

QtUi::~QtUi() { EndWait(); }

void QtUi::Attach(QWidget* window, MainView* view, std::function<void()> repaint) {
  window_ = window;
  view_ = view;
  repaint_ = std::move(repaint);
}

int QtUi::RunDialog(TarvoDialog& dialog) {
  EndWait();
  connect(&dialog, &TarvoDialog::helpRequested, this, &QtUi::OpenHelp);
  connect(&dialog, &TarvoDialog::userMoved, this, [this] {
    if (dialogMoved_) dialogMoved_();
  });
  return dialog.RunModal();
}

void QtUi::EndWait() {
  if (waiting_) QApplication::restoreOverrideCursor();
  waiting_ = false;
  trap_.SetActive(false);
}

void QtUi::CloseHelp() {
  if (help_) help_->close();
}

int QtUi::MessageDialog(const std::string& text, const std::string& caption) {
  MessageDialogBox box(FromAnsi(text), FromAnsi(caption), messageTimeoutMs_, DialogParent());
  return RunDialog(box);
}

// A window's user sees every question and answers it: the stakes change
// nothing here.
Answer QtUi::ShowMessageBox(const std::string& text, const std::string& caption, Buttons buttons, Stakes) {
  EndWait();
  QMessageBox box(QMessageBox::NoIcon, FromAnsi(caption), FromAnsi(text), StandardButtonsOf(buttons), DialogParent());
  box.setObjectName(QStringLiteral("box"));
  box.setWindowIcon(AppIcon());
  switch (box.exec()) {
    case QMessageBox::Ok: return Answer::kOk;
    case QMessageBox::Yes: return Answer::kYes;
    case QMessageBox::No: return Answer::kNo;
    default: return Answer::kCancel;
  }
}

void QtUi::PaintStatusLine(const std::string& left, const std::string& right) {
  if (view_) view_->SetStatus(FromAnsi(left), FromAnsi(right));
}

void QtUi::PaintProgress(unsigned percent) {
  if (view_) view_->SetProgress(percent);
}

void QtUi::ShowWaitFrame(int frame) {
  if (waiting_) {
    QApplication::changeOverrideCursor(cursor_.Frame(frame));
  } else {
    QApplication::setOverrideCursor(cursor_.Frame(frame));
    waiting_ = true;
  }
  trap_.SetActive(true);
  QCoreApplication::processEvents();
}

bool QtUi::TakeEscapeKey() {
  trap_.SetActive(true);
  QCoreApplication::processEvents();
  return trap_.TakeEscape();
}

void QtUi::Beep() { QApplication::beep(); }

void QtUi::Repaint() {
  if (repaint_) repaint_();
}

void QtUi::ShowListing(const std::vector<std::string>&) { Repaint(); }

void QtUi::ShowHelp(const std::string& topic) { OpenHelp(FromAnsi(topic)); }

void QtUi::ShowVolumeInfo(const VolumeInfo& info) {
  InfoDialog dialog(info, DialogParent());
  RunDialog(dialog);
}

void QtUi::ShowAbout() {
  AboutDialog dialog(DialogParent());
  RunDialog(dialog);
}

void QtUi::RunDeviceDialog(DeviceDialog& model) {
  DeviceDialogBox dialog(model, DialogParent());
  RunDialog(dialog);
}

void QtUi::RunPartitionDialog(PartitionDialog& model) {
  PartitionDialogBox dialog(model, DialogParent());
  RunDialog(dialog);
}

SameDriveChoice QtUi::AskSameDrive() {
  SameDriveDialog dialog(DialogParent());
  return SameDriveChoiceOf(RunDialog(dialog));
}

CapacityAnswer QtUi::AskCapacity() {
  CapacityDialog dialog(DialogParent());
  RunDialog(dialog);
  return dialog.answer();
}

ExistingFileAnswer QtUi::AskExistingFile(const std::string& text) {
  ExistingFileDialog dialog(FromAnsi(text), DialogParent());
  RunDialog(dialog);
  return dialog.answer();
}

void QtUi::RunDestinationDialog(DestinationDialog& model) {
  DestinationDialogBox dialog(model, DialogParent());
  RunDialog(dialog);
}

void QtUi::RunMacCopyDialog(MacCopyDialog& model) {
  MacCopyDialogBox dialog(model, DialogParent());
  RunDialog(dialog);
}

void QtUi::RunNameDialog(NameDialog& model) {
  NameDialogBox dialog(model, DialogParent());
  RunDialog(dialog);
}

void QtUi::RunNamingDialog(NamingDialog& model) {
  NamingDialogBox dialog(model, DialogParent());
  RunDialog(dialog);
}

void QtUi::RunLogDialog(LogDialog& model) {
  LogDialogBox dialog(model, DialogParent());
  RunDialog(dialog);
}

void QtUi::RunCommandDialog(CommandDialog& model) {
  CommandDialogBox dialog(model, DialogParent());
  RunDialog(dialog);
}

void QtUi::RunPortDialog(PortDialog& model) {
  PortDialogBox dialog(model, DialogParent());
  RunDialog(dialog);
}

void QtUi::RunRescueDialog(RescueDialog& model) {
  RescueDialogBox dialog(model, DialogParent());
  RunDialog(dialog);
}

void QtUi::RunScanParametersDialog(ScanParametersDialog& model) {
  ScanParametersDialogBox dialog(model, DialogParent());
  RunDialog(dialog);
}

void QtUi::RunAttributesDialog(AttributesDialog& model) {
  AttributesDialogBox dialog(model, DialogParent());
  RunDialog(dialog);
}

void QtUi::RunDumpView(DumpView& view) {
  DumpWindow window(view, DialogParent());
  RunDialog(window);
}

QWidget* QtUi::DialogParent() const {
  QWidget* modal = QApplication::activeModalWidget();
  return modal ? modal : window_;
}

void QtUi::OpenHelp(const QString& topic) {
  if (!help_) help_ = std::make_unique<HelpWindow>(helpFile_);
  help_->ShowTopic(topic);
}

}  // namespace tarvo
