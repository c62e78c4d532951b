// tarvo-cli: the console front end of Tarvo.
#include <cstdio>
#include <string>
#include <vector>

#include "base/context.h"
#include "console_ui.h"
#include "ui/drive_bus.h"
#include "ui/startup.h"

namespace {

int Run(const std::vector<std::string>& args) {
  using namespace tarvo;
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
  try {
    InitSettings(ctx, *options);
    if (ctx.volume.targetId == kNoDevice) SetStatus(ctx, ctx.messages[kMsgSelectDriveInMenu]);
    Shutdown(ctx);
  } catch (const FatalExit&) {
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return Run(std::vector<std::string>(argv + 1, argv + argc)); }
