// tarvo: the desktop front end of Tarvo.
//
// It takes the start-up options of tarvo-cli (see ui/startup_options.h;
// the console's actions and --yes/--verbose have no use here and are
// ignored) and image files named after them (as the desktop entry's %f
// passes one), opens the volume on the drive chosen, and runs the main window
// until the user confirms "Exit Program". Exit code 0 after a normal exit,
// 1 after a bad option or a fatal error.
#include <QApplication>
#include <cstdio>

#include "gui_session.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  std::string error;
  const std::optional<tarvo::StartupOptions> options =
      tarvo::ParseStartupOptions(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::fprintf(stderr, "tarvo: %s\n%s", error.c_str(), tarvo::UsageText("tarvo").c_str());
    return 1;
  }
  if (options->help) {
    std::fputs(tarvo::UsageText("tarvo").c_str(), stdout);
    return 0;
  }
  tarvo::GuiSession session;
  int code = 0;
  try {
    if (error = session.Start(*options); !error.empty()) {
      std::fprintf(stderr, "tarvo: %s\n", error.c_str());
      return 1;
    }
    code = app.exec();
    if (session.window().fatal()) code = 1;
  } catch (const tarvo::FatalExit&) {
    code = 1;
  }
  try {
    session.Shutdown();
  } catch (const tarvo::FatalExit&) {
    code = 1;
  }
  return code;
}
