// tarvo-cli: the console front end of Tarvo.
//
// After start-up the volume on the selected drive is opened; then the
// actions given on the command line run in order (-c LINE, --menu N,
// --select PATTERN). Without actions, typed commands are read from standard
// input, one a line, until QUIT or the end of input. Exit (menu 105, QUIT)
// ends the run at once: a console has no exit dialog to confirm it.
// --check prints the volume check's findings first and makes the exit code
// 1 when there are any.
#include <cstdio>
#include <string>
#include <vector>

#include "base/context.h"
#include "base/utf8.h"
#include "command/run_command.h"
#include "console_ui.h"
#include "maintenance/check_volume.h"
#include "transfer/charset.h"
#include "ui/dispatcher.h"
#include "ui/drive_bus.h"
#include "ui/listing.h"
#include "ui/open_volume.h"
#include "ui/startup.h"

namespace {

using namespace tarvo;

void OpenStartVolume(Context& ctx);
int PrintVolumeCheck(Context& ctx);
void RunAction(Context& ctx, const StartupAction& action);
void ReadCommands(Context& ctx, ConsoleUi& ui);

int Run(const std::vector<std::string>& args) {
  std::string error;
  std::optional<StartupOptions> options = ParseStartupOptions(args, error);
  if (!options) {
    std::fprintf(stderr, "tarvo-cli: %s\n%s", error.c_str(), UsageText("tarvo-cli").c_str());
    return 1;
  }
  if (options->help) {
    std::fputs(UsageText("tarvo-cli").c_str(), stdout);
    return 0;
  }
  DriveBus bus;
  if (error = bus.Assemble(*options); !error.empty()) {
    std::fprintf(stderr, "tarvo-cli: %s\n", error.c_str());
    return 1;
  }
  ConsoleUi ui(stdin, stderr, options->yes, options->verbose);
  Context ctx;
  ctx.scsi = &bus.manager();
  ctx.ui = &ui;
  int exitCode = 0;
  try {
    InitSettings(ctx, *options);
    OpenStartVolume(ctx);
    if (options->check) exitCode = PrintVolumeCheck(ctx);
    for (const StartupAction& action : options->actions) {
      if (ctx.settings.closeRequested) break;
      RunAction(ctx, action);
    }
    if (options->actions.empty() && !options->check) ReadCommands(ctx, ui);
  } catch (const FatalExit& e) {
    exitCode = e.exitCode;
  }
  try {
    Shutdown(ctx);
  } catch (const FatalExit&) {
    exitCode = 1;
  }
  return exitCode;
}

void OpenStartVolume(Context& ctx) {
  if (ctx.volume.targetId == kNoDevice) {
    SetStatus(ctx, ctx.messages[kMsgSelectDriveInMenu]);
  } else {
    const std::int64_t result = OpenVolume(ctx);
    if (result == 0) MessageDialog(ctx, kMsgNotMacVolume);
    else if (result < 0) MessageDialog(ctx, kMsgMsDosVolume);
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

void RunAction(Context& ctx, const StartupAction& action) {
  switch (action.kind) {
    case StartupAction::kCommand:
      ExecuteCommandLine(ctx, Utf8ToAnsi(action.text));
      break;
    case StartupAction::kMenu:
      DispatchCommand(ctx, std::stoi(action.text));
      break;
    case StartupAction::kSelect:
      SelectMatching(ctx.listing, ConvertString(Utf8ToAnsi(action.text), AnsiToMac));
      ApplyMenuState(ctx);
      break;
  }
}

void ReadCommands(Context& ctx, ConsoleUi& ui) {
  while (!ctx.settings.closeRequested) {
    std::optional<std::string> line = ui.ReadCommandLine("Tarvo> ");
    if (!line) break;
    ExecuteCommandLine(ctx, *line);
  }
}

}  // namespace

int main(int argc, char** argv) { return Run(std::vector<std::string>(argv + 1, argv + argc)); }
