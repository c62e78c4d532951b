// tarvo-screenshots OUTDIR [start-up options]: starts the desktop program
// offscreen on the drive the options name and saves PNG pictures of the main
// window (the three listing modes with a selection, the progress bar, the
// listing's popup), of its dialogs and of the dump window, to check the layout by eye.
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <cstdio>

#include "dialogs/about_dialog.h"
#include "dialogs/capacity_dialog.h"
#include "dialogs/command_dialog_box.h"
#include "dialogs/destination_dialog_box.h"
#include "dialogs/device_dialog_box.h"
#include "dialogs/info_dialog.h"
#include "dialogs/log_dialog_box.h"
#include "dialogs/message_dialog.h"
#include "dialogs/name_dialog_box.h"
#include "dialogs/naming_dialog_box.h"
#include "dialogs/partition_dialog_box.h"
#include "dialogs/port_dialog_box.h"
#include "dialogs/quit_dialog.h"
#include "dialogs/same_drive_dialog.h"
#include "dump_window.h"
#include "gui_session.h"
#include "ui/device_dialog.h"
#include "ui/dispatcher.h"
#include "ui/listing.h"
#include "ui/menu_model.h"
#include "ui/partition_dialog.h"
#include "ui/volume_info.h"

namespace {

using namespace tarvo;

QString outDir;

void Save(QWidget& widget, const char* name) {
  widget.show();
  QCoreApplication::processEvents();
  const QString path = outDir + "/" + name + ".png";
  if (!widget.grab().save(path)) std::fprintf(stderr, "tarvo-screenshots: cannot write %s\n", qPrintable(path));
}

void SaveMainWindow(GuiSession& session) {
  Context& ctx = session.ctx();
  MainWindow& window = session.window();
  for (std::uint16_t row : {0, 3}) {
    if (row < ctx.listing.count) SelectEntry(ctx.listing, row);
  }
  ApplyMenuState(ctx);
  window.Refresh();
  Save(window, "main-short");
  window.RunCommand(kMenuExtendedListing);
  Save(window, "main-extended");
  window.RunCommand(kMenuSignatureListing);
  Save(window, "main-signature");
  window.RunCommand(kMenuShortListing);
  session.ui().PaintStatusLine("Copy of \"Top.txt\" to \"top.txt\"", "Please wait");
  session.ui().PaintProgress(42);
  Save(window, "main-progress");
  QMenu* popup = window.menus().BuildListingPopup(true, &window);
  Save(*popup, "popup-folder");
  delete popup;
}

void SaveDialogs(GuiSession& session) {
  Context& ctx = session.ctx();
  QWidget* parent = &session.window();
  MessageDialogBox message("This is not a Macintosh volume.", "Tarvo", 0, parent);
  Save(message, "dlgmess");
  QuitDialog quit(parent);
  Save(quit, "dlg_quit");
  AboutDialog about(parent);
  Save(about, "dlg_aprop");
  SameDriveDialog same(parent);
  Save(same, "dlg_same");
  CapacityDialog capacity(parent);
  Save(capacity, "dlg_capa");
  if (ctx.volume.volumeOrigin > 0) {
    InfoDialog info(ComputeVolumeInfo(ctx), parent);
    Save(info, "dlg_info");
  }
  NamingDialog naming(ctx.settings);
  NamingDialogBox namingBox(naming, parent);
  Save(namingBox, "dlg_opt");
  PortDialog ports(ctx.settings);
  PortDialogBox portBox(ports, parent);
  Save(portBox, "dlg_port");
  NameDialog newFolder("DLG_NOUV", "New Directory", "", "DIR", 39);
  NameDialogBox newFolderBox(newFolder, parent);
  Save(newFolderBox, "dlg_nouv");
  NameDialog pcName("DLG_NOMD", ctx.messages[kMsgDosFileName], "Read Me", "Read Me", 30);
  NameDialogBox pcNameBox(pcName, parent);
  Save(pcNameBox, "dlg_nomd");
  LogDialog log(ctx);
  LogDialogBox logBox(log, parent);
  Save(logBox, "dlg_flog");
  CommandDialog command;
  command.SetLine("COPY /B \"Read Me\"");
  CommandDialogBox commandBox(command, parent);
  Save(commandBox, "dlg_comm");
  HostPcDirectories pc;
  DestinationDialog destination(ctx, pc, kMenuCopyToPc);
  DestinationDialogBox destinationBox(destination, parent);
  Save(destinationBox, "dlg_dest");
  PartitionList list;
  list.entries[0] = {"Macintosh HD", 96, 86604};
  list.entries[1] = {"Archive", 86700, 86700};
  list.count = 2;
  PartitionDialog partitions(ctx, list);
  PartitionDialogBox partitionBox(partitions, parent);
  Save(partitionBox, "dlg_part");
  DumpView dump(ctx, "Read Me");
  if (dump.found()) {
    DumpWindow dumpWindow(dump, parent);
    Save(dumpWindow, "dump");
  }
  // The drive dialog scans the bus and changes the selection: last.
  DeviceDialog devices(ctx);
  devices.Open();
  DeviceDialogBox deviceBox(devices, parent);
  Save(deviceBox, "dlg_dev");
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fputs("usage: tarvo-screenshots OUTDIR [start-up options]\n", stderr);
    return 1;
  }
  outDir = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(outDir);
  std::string error;
  const std::optional<StartupOptions> options = ParseStartupOptions(std::vector<std::string>(argv + 2, argv + argc), error);
  if (!options) {
    std::fprintf(stderr, "tarvo-screenshots: %s\n", error.c_str());
    return 1;
  }
  GuiSession session;
  session.ui().SetMessageTimeout(0);
  try {
    if (error = session.Start(*options); !error.empty()) {
      std::fprintf(stderr, "tarvo-screenshots: %s\n", error.c_str());
      return 1;
    }
    SaveMainWindow(session);
    SaveDialogs(session);
  } catch (const FatalExit& fatal) {
    std::fprintf(stderr, "tarvo-screenshots: %s\n", fatal.what());
    return 1;
  }
  return 0;
}
