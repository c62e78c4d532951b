#include "ui/text_ui.h"

#include "base/messages.h"
#include "transfer/pc_file_system.h"
#include "ui/attributes_dialog.h"
#include "ui/command_dialog.h"
#include "ui/copy_option_dialogs.h"
#include "ui/destination_dialog.h"
#include "ui/device_dialog.h"
#include "ui/dump_view.h"
#include "ui/log_dialog.h"
#include "ui/mac_copy_dialog.h"
#include "ui/name_dialog.h"
#include "ui/partition_dialog.h"
#include "ui/rescue_dialog.h"
#include "ui/scan_parameters_dialog.h"
#include "ui/text_answers.h"

namespace tarvo {

template <typename T, typename Parse>
T TextUi::Ask(const Prompt& prompt, Parse parse) {
  Present(prompt, false);
  for (int tries = 0; tries < 3; ++tries) {
    std::optional<std::string> line = ReadAnswer();
    if (!line) break;
    if (std::optional<T> answer = parse(*line)) return *answer;
    Present(prompt, true);
  }
  return *parse("");
}

Answer TextUi::ShowMessageBox(const std::string& text, const std::string&, Buttons buttons, Stakes stakes) {
  return Ask<Answer>(Prompt{"box", text, BoxChoices(buttons, stakes), stakes},
                     [buttons, stakes](std::string_view a) { return ParseBoxAnswer(a, buttons, stakes); });
}

SameDriveChoice TextUi::AskSameDrive() {
  return Ask<SameDriveChoice>(
      Prompt{"DLG_SAME", "Drive to be used\nDo you want to\nuse the same drive ? [same/rescan/cancel]", "", {}},
      ParseSameDriveAnswer);
}

CapacityAnswer TextUi::AskCapacity() {
  return Ask<CapacityAnswer>(Prompt{"DLG_CAPA",
                                    "Data medium to format\nSyQuest Cartridges: 44 MB, 88 MB, 200 MB, 105 MB, "
                                    "270 MB [size/cancel]",
                                    "",
                                    {}},
                             ParseCapacityAnswer);
}

ExistingFileAnswer TextUi::AskExistingFile(const std::string& text) {
  return Ask<ExistingFileAnswer>(Prompt{"box", text, kExistingFileChoices, Stakes::kDestroys},
                                 ParseExistingFileAnswer);
}

template <typename Dialog, typename Describe>
void TextUi::RunDialog(std::string_view name, Dialog& dialog, Describe describe, Stakes stakes) {
  bool defaulted = false;
  for (int round = 0; !dialog.closed() && round < 1000; ++round) {
    Present(Prompt{name, describe(dialog), "", stakes}, round > 0);
    std::optional<std::string> line = ReadAnswer();
    if (line) dialog.ApplyAnswer(*line);
    else if (!defaulted) dialog.ApplyAnswer(""), defaulted = true;
    else dialog.Cancel();
  }
}

void TextUi::ShowAbout() { Present(Prompt{"DLG_APROP", kTextProduct, "", {}}, false); }

void TextUi::RunDeviceDialog(DeviceDialog& dialog) { RunDialog("DLG_DEV", dialog, DescribeDeviceDialog); }

void TextUi::RunPartitionDialog(PartitionDialog& dialog) { RunDialog("DLG_PART", dialog, DescribePartitionDialog); }

void TextUi::RunDestinationDialog(DestinationDialog& dialog) {
  RunDialog("DLG_DEST", dialog, DescribeDestinationDialog);
}

void TextUi::RunNameDialog(NameDialog& dialog) {
  RunDialog(dialog.name(), dialog, DescribeNameDialog, dialog.stakes());
}

void TextUi::RunNamingDialog(NamingDialog& dialog) { RunDialog("DLG_OPT", dialog, DescribeNamingDialog); }

void TextUi::RunPortDialog(PortDialog& dialog) { RunDialog("DLG_PORT", dialog, DescribePortDialog); }

void TextUi::RunMacCopyDialog(MacCopyDialog& dialog) { RunDialog("DLG_MCOP", dialog, DescribeMacCopyDialog); }
void TextUi::RunRescueDialog(RescueDialog& dialog) { RunDialog("DLG_RECUP", dialog, DescribeRescueDialog); }

void TextUi::RunScanParametersDialog(ScanParametersDialog& dialog) {
  RunDialog("DLG_PARAM", dialog, DescribeScanParametersDialog);
}

void TextUi::RunAttributesDialog(AttributesDialog& dialog) {
  RunDialog("DLG_ATTR", dialog, [](AttributesDialog& d) {
    std::string text = DescribeAttributesDialog(d);
    d.ExtentsClosed();  // shown once, as the modal DLG_ATT2 would be
    return text;
  });
}

void TextUi::RunLogDialog(LogDialog& dialog) { RunDialog("DLG_FLOG", dialog, DescribeLogDialog); }

void TextUi::RunCommandDialog(CommandDialog& dialog) {
  RunDialog("DLG_COMM", dialog, [](const CommandDialog&) { return std::string("Command line\n[command/cancel]"); });
}

void TextUi::RunDumpView(DumpView& view) { ShowListing(view.AllLines()); }

std::string DescribeDeviceDialog(const DeviceDialog& dialog) {
  std::string text = "Device selection\nDriver: " + dialog.driverName() + "\nId  Typ       Model             Release\n";
  for (std::size_t t = 0; t < dialog.rows().size(); ++t) {
    const DeviceDialog::Row& row = dialog.rows()[t];
    if (!row.enabled) continue;
    std::string line = std::to_string(t) + (t == dialog.selectedTarget() ? " * " : "   ");
    line += row.vendor + std::string(row.vendor.size() < 10 ? 10 - row.vendor.size() : 1, ' ');
    line += row.product + std::string(row.product.size() < 18 ? 18 - row.product.size() : 1, ' ');
    text += line + row.revision + "\n";
  }
  text += "[target number";
  if (dialog.nextEnabled()) text += "/next";
  if (dialog.precedingEnabled()) text += "/previous";
  text += "/ok/cancel]";
  return text;
}

std::string DescribePartitionDialog(const PartitionDialog& dialog) {
  std::string text = "Select Partition\n   Name                             Offset      Nr Sect.\n";
  for (int r = 0; r < PartitionDialog::kRows; ++r) {
    const PartitionDialog::Row& row = dialog.rows()[r];
    if (!row.enabled) continue;
    std::string line = std::to_string(r) + (r == dialog.selectedRow() ? " * " : "   ");
    line += row.name + std::string(row.name.size() < 33 ? 33 - row.name.size() : 1, ' ');
    line += row.offset + std::string(row.offset.size() < 12 ? 12 - row.offset.size() : 1, ' ');
    text += line + row.sectors + "\n";
  }
  return text + "[row number/ok/cancel]";
}

namespace {

// " N name" for every drive, by appends (GCC 12 warns falsely on " " + string).
void AppendDrives(std::string& text, const std::vector<std::string>& drives) {
  for (std::size_t d = 0; d < drives.size(); ++d) {
    text += ' ';
    text += std::to_string(d);
    text += ' ';
    text += drives[d];
  }
}

}  // namespace

std::string DescribeDestinationDialog(const DestinationDialog& dialog) {
  std::string text = "Target Directory\nPath : " + dialog.path() + "\nDirectories:";
  for (const std::string& name : dialog.directories()) text += " " + name;
  text += "\nDrives:";
  AppendDrives(text, dialog.drives());
  return text + "\n[directory/../\\/drive N/new/ok (" + dialog.confirmCaption() + ")/cancel]";
}

std::string DescribeMacCopyDialog(const MacCopyDialog& dialog) {
  std::string text = "Copy PC -> Mac\nFilename: " + dialog.mask() + "\nPath : " + dialog.path() + "\nFiles:";
  for (const MacCopyDialog::FileRow& file : dialog.files()) {
    text += "\n " + std::string(file.selected ? "* " : "  ") + file.name + "  " + std::to_string(file.size);
  }
  text += "\nTotal: " + std::to_string(dialog.total()) + "\nDirectories:";
  for (const std::string& name : dialog.directories()) text += " " + name;
  text += "\nDrives:";
  AppendDrives(text, dialog.drives());
  return text + "\n[mask M/select NAME.../all/dir NAME/cd NAME/up/drive N/cancel]";
}

std::string DescribeNameDialog(const NameDialog& dialog) {
  std::string text = dialog.title() + "\n";
  if (!dialog.notice().empty()) text += dialog.notice() + "\n";
  if (!dialog.oldName().empty()) text += "Old name: " + dialog.oldName() + "\n";
  // Only a typed name goes ahead: the one shown must be typed too.
  if (dialog.stakes() == Stakes::kDestroys)
    return text + "Name: " + dialog.text() + "\n[new name/cancel] (empty: cancel)";
  return text + "[new name (empty: " + dialog.text() + ")/cancel]";
}

namespace {

std::string Radio(bool checked, const std::string& label) { return (checked ? " (*) " : " ( ) ") + label; }

}  // namespace

std::string DescribeNamingDialog(const NamingDialog& dialog) {
  const NamingMode m = dialog.checked();
  return "Advanced copy options\nFilenaming convention:" + Radio(m == NamingMode::kLong, "Long file names") +
         Radio(m == NamingMode::kShort, "Short file names") + Radio(m == NamingMode::kOnTheFly, "Renaming on the fly") +
         "\n[long/short/fly/ok/cancel]";
}

std::string DescribeRescueDialog(const RescueDialog& dialog) {
  const RescueFields& f = dialog.fields();
  const std::uint16_t mode = dialog.copyMode();
  std::string text = "Rescue Scanning\nSector: " + f.sector + "\nFile: " + f.file + "\nNumber: " + f.number +
                     "\nCopy Mode:" + Radio(mode == kCopyData, "Data") + Radio(mode == kCopyResource, "Resource") +
                     Radio(mode == kCopyMacBinary, "Binary") + "\n";
  if (!f.status.empty()) text += f.status + "\n";
  text += "[start/data/resource/binary/";
  if (dialog.parametersEnabled()) text += "parameters/";
  return text + "cancel] (empty: " + (dialog.scanned() ? "cancel" : "start") + ")";
}

std::string DescribeScanParametersDialog(const ScanParametersDialog& dialog) {
  return "Volume Scanning Parameters\nLogical Origin: " + dialog.origin() + "\nCluster Size: " +
         dialog.clusterSize() + "\n[ORIGIN SIZE/ok/cancel]";
}

std::string DescribeAttributesDialog(const AttributesDialog& dialog) {
  auto date = [](const DateTexts& f) { return f[0] + "/" + f[1] + "/" + f[2] + "  Time " + f[3] + ":" + f[4]; };
  std::string text = "File Attributes\nFilename: " + dialog.name() + "\nCreator: " + dialog.creator() +
                     "  Filetype: " + dialog.type() + "\nCreation Date: " + date(dialog.created()) +
                     "\nLast Mod. Date: " + date(dialog.modified()) + "\nFilelength: Data fork " +
                     dialog.dataLength() + "  Resource fork " + dialog.resourceLength() + "\n";
  if (dialog.showExtents()) {
    const ExtentsInfo& e = dialog.extents();
    text += "For spelunking fans...\n" + e.name + "\nFile #: " + e.fileNumber + "\nData extents: " + e.dataExtents +
            "\nRessource extents: " + e.resourceExtents + "\n";
  }
  return text + "[name TEXT/creator TEXT/type TEXT/created D M Y H MIN/modified D M Y H MIN/advanced/" +
         (dialog.readOnly() ? "" : "write/") + "quit] (empty: quit)";
}

std::string DescribeLogDialog(const LogDialog& dialog) {
  std::string text = "Log File Management\nFile: " + dialog.fieldText() + "\n[name TEXT/";
  if (dialog.createEnabled()) text += "create/open/";
  if (dialog.closeEnabled()) text += "close/";
  return text + "ok/cancel]";
}

std::string DescribePortDialog(const PortDialog& dialog) {
  std::string text = "Output Ports\n" + Radio(dialog.checked() == 0, "File");
  for (int port = 1; port < kPortCount; ++port) text += Radio(dialog.checked() == port, OutputPortName(port));
  return text + "\n[file/lpt1-lpt3/com1-com4/ok/cancel]";
}

}  // namespace tarvo
