// The user-interface port: what the core asks of a front end.
//
// The core owns every rule (which text, when to log, the percentage, the
// wait-cursor frame, what a dialog's buttons do); a front end only draws and
// reports the user's answers. Texts handed to the port are in the Windows
// ("ANSI", code page 1252) character set; a front end converts them to UTF-8
// for its screen. Backends: the Qt GUI, the console, and the scripted double
// of the tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvo {

class AttributesDialog;
class CommandDialog;
class DestinationDialog;
class DeviceDialog;
class MacCopyDialog;
class DumpView;
class LogDialog;
class NameDialog;
class NamingDialog;
struct VolumeInfo;
class PartitionDialog;
class PortDialog;
class RescueDialog;
class ScanParametersDialog;

enum class Buttons { kOk, kOkCancel, kYesNo, kYesNoCancel };
enum class Answer { kOk, kCancel, kYes, kNo };

// What a question's OK or Yes does: kDestroys when it erases or overwrites
// the user's data (a format, a folder deleted with its contents, several
// items deleted at once, a file replaced). A front end that answers for an
// absent user (a script at its end) gives such a question Cancel or No.
enum class Stakes { kHarmless, kDestroys };

// DLG_SAME, "Drive to be used".
enum class SameDriveChoice { kUseSame, kRescan, kCancel };

// What a copy to the PC does with a file of the name its copy would take:
// the new file takes its place, the item is not copied, or the copy gets a
// numbered name beside it.
enum class ExistingFileAction { kReplace, kSkip, kKeepBoth };
struct ExistingFileAnswer {
  ExistingFileAction action = ExistingFileAction::kKeepBoth;
  bool forAll = false;  // the same for every later clash of the command
};

// DLG_CAPA, "Data medium to format": the radio buttons 300..304 in dialog
// order ("44 MB", "88 MB", "200 MB", "105 MB", "270 MB"), and which button
// closed it.
struct CapacityAnswer {
  bool ok = false;
  std::optional<int> choice;  // 0..4, the radio button's position
};

class UserInterface {
 public:
  virtual ~UserInterface() = default;

  // The self-closing message box (five seconds). Returns 0 when the user
  // closed it, -1 when it closed by itself.
  virtual int MessageDialog(const std::string& text, const std::string& caption) = 0;
  virtual Answer ShowMessageBox(const std::string& text, const std::string& caption, Buttons buttons,
                                Stakes stakes) = 0;
  // Draws the status line with its two texts (either may be empty).
  virtual void PaintStatusLine(const std::string& left, const std::string& right) = 0;
  virtual void PaintProgress(unsigned percent) = 0;
  // Shows wait-cursor frame 1..12 and lets repaint requests through.
  virtual void ShowWaitFrame(int frame) = 0;
  // Takes one pending keystroke, if any, and tells whether it was Esc.
  virtual bool TakeEscapeKey() = 0;
  virtual void Beep() = 0;

  // The main window's contents changed (listing, header, title, menus): a
  // window repaints; a console has nothing to do.
  virtual void Repaint() = 0;
  // The user asked to see the listing (DIR): a window repaints, a console
  // prints the lines (Windows character set) on standard output.
  virtual void ShowListing(const std::vector<std::string>& lines) = 0;
  // The help system at a topic ("" for the contents).
  virtual void ShowHelp(const std::string& topic) = 0;
  // DLG_INFO, "Informations about the Macintosh volume": read-only figures
  // closed with OK.
  virtual void ShowVolumeInfo(const VolumeInfo& info) = 0;
  // DLG_APROP, "About Tarvo": the product text (kTextProduct) and the
  // application icon, closed with OK.
  virtual void ShowAbout() = 0;

  // Dialogs. Each runs modally: the front end shows the dialog's model and
  // feeds it the user's actions until the model says it is closed.
  virtual void RunDeviceDialog(DeviceDialog& dialog) = 0;
  virtual void RunPartitionDialog(PartitionDialog& dialog) = 0;
  virtual SameDriveChoice AskSameDrive() = 0;
  virtual CapacityAnswer AskCapacity() = 0;
  // DLG_EXIST: the text names the PC file that is there already. Replace
  // overwrites it; a front end that answers for an absent user keeps both.
  virtual ExistingFileAnswer AskExistingFile(const std::string& text) = 0;
  virtual void RunDestinationDialog(DestinationDialog& dialog) = 0;  // DLG_DEST
  virtual void RunNameDialog(NameDialog& dialog) = 0;                // DLG_NOMD, DLG_NOUV, DLG_REN
  virtual void RunNamingDialog(NamingDialog& dialog) = 0;            // DLG_OPT
  virtual void RunPortDialog(PortDialog& dialog) = 0;                // DLG_PORT
  virtual void RunMacCopyDialog(MacCopyDialog& dialog) = 0;          // DLG_MCOP
  virtual void RunRescueDialog(RescueDialog& dialog) = 0;                  // DLG_RECUP
  virtual void RunScanParametersDialog(ScanParametersDialog& dialog) = 0;  // DLG_PARAM
  // DLG_ATTR; its "Advanced" button shows DLG_ATT2 over it.
  virtual void RunAttributesDialog(AttributesDialog& dialog) = 0;
  virtual void RunLogDialog(LogDialog& dialog) = 0;          // DLG_FLOG
  virtual void RunCommandDialog(CommandDialog& dialog) = 0;  // DLG_COMM
  // The dump window ("filedump"), until the user closes it.
  virtual void RunDumpView(DumpView& view) = 0;
};

}  // namespace tarvo
