// tarvo-cli: the console front end of Tarvo.
//
// After start-up the volume on the selected drive is opened; then the
// actions given on the command line run in order (-c LINE, --menu N,
// --select PATTERN). Without actions, typed commands are read from standard
// input, one a line, until QUIT or the end of input. Exit (menu 105, QUIT)
// ends the run at once: a console has no exit dialog to confirm it.
// --check prints the volume check's findings first and makes the exit code
// 1 when there are any.
//
// The exit code tells a script how the run went: 0 when every command did
// what it was asked, 1 when one failed or was refused, 2 for start-up
// options that mean nothing, 130 (as a shell gives) when Ctrl-C ended it
// at the prompt.
#include <malloc.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "base/charset.h"
#include "base/utf8.h"
#include "command/run_command.h"
#include "console_ui.h"
#include "maintenance/check_volume.h"
#include "ui/context.h"
#include "ui/dispatcher.h"
#include "ui/drive_bus.h"
#include "ui/listing.h"
#include "ui/menu_model.h"
#include "ui/open_volume.h"
#include "ui/startup.h"

namespace {

using namespace tarvo;

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitBadOptions = 2;
constexpr int kExitInterrupted = 128 + SIGINT;

constexpr const char* kMoreUsage =
    "  --version         print the program's version\n"
    "Exit status: 0 when every command did what it was asked; 1 when one failed, was\n"
    "refused or aborted (a name that matches nothing, an unknown command, not enough\n"
    "space, a write refused or failed, problems found by --check); 2 for wrong\n"
    "start-up options; 130 when Ctrl-C ended it between commands or at the Tarvo>\n"
    "prompt.\n";

void OpenStartVolume(Context& ctx, const DriveBus& bus);
int PrintVolumeCheck(Context& ctx);
void RunAction(Context& ctx, ConsoleUi& ui, const StartupAction& action);
void RunLine(Context& ctx, ConsoleUi& ui, std::string_view line);
void BeginCommand(Context& ctx, ConsoleUi& ui);
void EndCommand(Context& ctx, ConsoleUi& ui);
bool ReadCommands(Context& ctx, ConsoleUi& ui);

int Run(const std::vector<std::string>& args) {
  std::string error;
  std::optional<StartupOptions> options = ParseStartupOptions(args, error);
  if (!options) {
    std::fprintf(stderr, "tarvo-cli: %s\nTry 'tarvo-cli --help' for the options.\n", error.c_str());
    return kExitBadOptions;
  }
  if (options->help) {
    std::fputs((UsageText("tarvo-cli") + kMoreUsage).c_str(), stdout);
    return kExitDone;
  }
  if (options->version) {
    std::puts("tarvo-cli " TARVO_VERSION);
    return kExitDone;
  }
  DriveBus bus;
  if (error = bus.Assemble(*options); error.empty()) error = bus.AttachNamedFiles(*options);
  if (!error.empty()) {
    std::fprintf(stderr, "tarvo-cli: %s\n", error.c_str());
    return kExitFailed;
  }
  for (const StartupOptions::Create& create : options->creates) {
    std::fprintf(stderr, "tarvo-cli: made %s, a blank %d MB cartridge image; FORMAT makes a Macintosh volume on it.\n",
                 create.path.c_str(), create.megabytes);
  }
  ConsoleUi ui(stdin, stderr, options->yes, options->verbose);
  Context ctx;
  ctx.scsi = &bus.manager();
  ctx.ui = &ui;
  ctx.runCommandLine = ExecuteCommandLine;
  int exitCode = kExitDone;
  bool interrupted = false;
  try {
    InitSettings(ctx, *options);
    OpenStartVolume(ctx, bus);
    if (options->check && PrintVolumeCheck(ctx) != 0) ui.NoteFailure();
    for (const StartupAction& action : options->actions) {
      if (ctx.settings.closeRequested) break;
      // A Ctrl-C between commands ends the run, as at the prompt.
      if (LineInput::TakeInterrupt()) {
        interrupted = true;
        break;
      }
      RunAction(ctx, ui, action);
    }
    if (options->actions.empty() && !options->check) interrupted = ReadCommands(ctx, ui);
  } catch (const FatalExit& e) {
    exitCode = e.exitCode;
  }
  exitCode = ShutdownWithExitCode(ctx, exitCode);
  if (interrupted) return kExitInterrupted;
  if (exitCode == kExitDone && ui.outcome() == CommandsOutcome::kFailed) exitCode = kExitFailed;
  return exitCode;
}

// A drive without a volume is told here and fails the commands that need
// one. An image --create has just made holds none yet, as the user knows:
// nothing is said then.
void OpenStartVolume(Context& ctx, const DriveBus& bus) {
  if (ctx.volume.targetId == kNoDevice) {
    SetStatus(ctx, ctx.messages[kMsgSelectDriveInMenu]);
  } else {
    const bool blank = bus.MadeBlank(ctx.device.hostAdapterId, ctx.volume.targetId);
    const VolumeOpening opening = OpenVolume(ctx);
    if (opening == VolumeOpening::kNoMacVolume && !blank) MessageDialog(ctx, kMsgNotMacVolume);
    else if (opening == VolumeOpening::kMsDos) MessageDialog(ctx, kMsgMsDosVolume);
  }
  ApplyMenuState(ctx);
}

// The findings on standard output; 0 when the volume is clean.
int PrintVolumeCheck(Context& ctx) {
  if (ctx.volume.catalog.handle == nullptr) {
    std::puts("Volume check: no Macintosh volume to check.");
    return 1;
  }
  const CheckReport report = CheckVolume(ctx);
  for (const std::string& line : CheckReportLines(report)) std::puts(MacRomanToUtf8(line).c_str());
  return report.clean() ? 0 : 1;
}

void RunAction(Context& ctx, ConsoleUi& ui, const StartupAction& action) {
  BeginCommand(ctx, ui);
  switch (action.kind) {
    case StartupAction::kCommand:
      RunLine(ctx, ui, Utf8ToAnsi(action.text));
      break;
    case StartupAction::kMenu:
      if (const int code = std::stoi(action.text); code == kMenuOpenImage || code == kMenuNewImage) {
        // Their file dialogs are the desktop program's; the console names its
        // images on the command line.
        ui.Report("tarvo-cli: menu " + action.text +
                  " is the desktop program's; give the image as --image PATH or --create SIZE PATH");
        ui.NoteFailure();
      } else {
        DispatchCommand(ctx, code);
      }
      break;
    case StartupAction::kSelect:
      SelectMatching(ctx.listing, ConvertString(Utf8ToAnsi(action.text), AnsiToMac));
      ApplyMenuState(ctx);
      break;
  }
  EndCommand(ctx, ui);
}

void RunLine(Context& ctx, ConsoleUi& ui, std::string_view line) {
  const CommandReport report = ExecuteCommandLine(ctx, line);
  if (!report.verdict.empty()) ui.Report("Tarvo: " + report.verdict);
  if (report.failed) ui.NoteFailure();
}

void BeginCommand(Context& ctx, ConsoleUi& ui) {
  ctx.settings.copies = {};
  ui.BeginCommand();
}

// A command that copied ends with what its copies came to.
void EndCommand(Context& ctx, ConsoleUi& ui) {
  const CopyTally& copies = ctx.settings.copies;
  if (!copies.empty()) {
    ui.Report("Tarvo: " + std::to_string(copies.files) + (copies.files == 1 ? " file" : " files") + " copied, " +
              std::to_string(copies.bytes) + " bytes; " + std::to_string(copies.skipped) + " skipped, " +
              std::to_string(copies.failed) + " failed.");
  }
  ui.EndCommand();
}

// True when a Ctrl-C at the prompt ended the reading.
bool ReadCommands(Context& ctx, ConsoleUi& ui) {
  while (!ctx.settings.closeRequested) {
    const InputLine line = ui.ReadCommandLine("Tarvo> ");
    if (line.kind == InputLine::kInterrupted) return true;
    if (line.kind == InputLine::kEnd) break;
    BeginCommand(ctx, ui);
    RunLine(ctx, ui, line.text);
    EndCommand(ctx, ui);
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  // A run is short and its large buffers come and go (a catalog copy, a
  // listing of thousands of rows, an update's originals): the allocator
  // keeps freed memory for the next one instead of handing it back to the
  // system and taking page faults to get it again.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  return Run(std::vector<std::string>(argv + 1, argv + argc));
}
