// A user interface driven by typed answers: the common ground of the
// console front end and the scripted test double.
//
// Questions and dialogs are presented as text and answered with one line in
// the language of text_answers.h. An answer that names no button is asked
// again (at most three times) and then taken as the default. At the end of
// input a dialog gets its default button once and "cancel" afterwards, so
// no dialog can wait forever. The default of a question or dialog that
// destroys data (Stakes::kDestroys) is Cancel or No.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/user_interface.h"

namespace tarvo {

class TextUi : public UserInterface {
 public:
  Answer ShowMessageBox(const std::string& text, const std::string& caption, Buttons buttons,
                        Stakes stakes) override;
  void RunDeviceDialog(DeviceDialog& dialog) override;
  void RunPartitionDialog(PartitionDialog& dialog) override;
  SameDriveChoice AskSameDrive() override;
  CapacityAnswer AskCapacity() override;
  // Shown as a question box: "TEXT [replace/skip/keep, ...] (empty: keep)".
  ExistingFileAnswer AskExistingFile(const std::string& text) override;
  void ShowAbout() override;
  void RunDestinationDialog(DestinationDialog& dialog) override;
  void RunNameDialog(NameDialog& dialog) override;
  void RunNamingDialog(NamingDialog& dialog) override;
  void RunPortDialog(PortDialog& dialog) override;
  void RunMacCopyDialog(MacCopyDialog& dialog) override;
  void RunRescueDialog(RescueDialog& dialog) override;
  void RunScanParametersDialog(ScanParametersDialog& dialog) override;
  void RunAttributesDialog(AttributesDialog& dialog) override;
  void RunLogDialog(LogDialog& dialog) override;
  void RunCommandDialog(CommandDialog& dialog) override;
  // The whole fork shown, as dump lines, through ShowListing.
  void RunDumpView(DumpView& view) override;

 protected:
  // A question or a dialog to show.
  struct Prompt {
    std::string_view dialog;  // "box" or the dialog's name
    std::string text;         // what it says; a dialog's text ends with its answers
    std::string choices;      // a box's answers (BoxChoices); empty for a dialog
    Stakes stakes = Stakes::kHarmless;
  };
  // Shows it; `again` is set when the same question or dialog is shown anew
  // after an answer changed it or named nothing.
  virtual void Present(const Prompt& prompt, bool again) = 0;
  // The next answer, or nullopt at the end of input.
  virtual std::optional<std::string> ReadAnswer() = 0;

 private:
  // Asks until `parse` accepts an answer; the default at the end of input.
  template <typename T, typename Parse>
  T Ask(const Prompt& prompt, Parse parse);
  // Shows a dialog model and feeds it answers until it closes.
  template <typename Dialog, typename Describe>
  void RunDialog(std::string_view name, Dialog& dialog, Describe describe, Stakes stakes = Stakes::kHarmless);
};

// The dialog as text: the drive table, the driver and the buttons.
std::string DescribeDeviceDialog(const DeviceDialog& dialog);
// The partitions with their offsets and sizes.
std::string DescribePartitionDialog(const PartitionDialog& dialog);
// The path, the directories, the drives and the answers.
std::string DescribeDestinationDialog(const DestinationDialog& dialog);
// The title, the old name and the name proposed.
std::string DescribeNameDialog(const NameDialog& dialog);
// The radio buttons, the checked one marked.
std::string DescribeNamingDialog(const NamingDialog& dialog);
std::string DescribePortDialog(const PortDialog& dialog);
// The mask, the path, the files with their sizes (selected ones marked),
// "Total", the directories, the drives and the answers.
std::string DescribeMacCopyDialog(const MacCopyDialog& dialog);
// The value fields, the copy mode and the answers.
std::string DescribeRescueDialog(const RescueDialog& dialog);
std::string DescribeScanParametersDialog(const ScanParametersDialog& dialog);
// The fields, and DLG_ATT2's after "advanced".
std::string DescribeAttributesDialog(const AttributesDialog& dialog);
// The "File:" field and the buttons that are enabled.
std::string DescribeLogDialog(const LogDialog& dialog);

}  // namespace tarvo
