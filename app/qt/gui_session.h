// One run of the desktop program, as the console program runs it: the
// drives of the start-up options, the port, the context and the main
// window. Start() attaches the files named on the command line as images
// (the first one is the drive selected unless /A names one), gives the
// settings their start values and selects the drive (the drive dialog when
// nothing names one), shows the window and opens the volume; Shutdown() releases the run (also done on destruction).
// Both let the core's FatalExit through: the caller ends with exit code 1.
#pragma once

#include <memory>
#include <string>

#include "main_window.h"
#include "qt_ui.h"
#include "ui/context.h"
#include "ui/drive_bus.h"
#include "ui/startup_options.h"

namespace tarvo {

class GuiSession {
 public:
  GuiSession();
  ~GuiSession();
  GuiSession(const GuiSession&) = delete;
  GuiSession& operator=(const GuiSession&) = delete;

  // Returns "" or what is wrong with the drives of the options.
  std::string Start(const StartupOptions& options);
  void Shutdown();

  Context& ctx() { return ctx_; }
  QtUi& ui() { return ui_; }
  MainWindow& window() { return *window_; }

 private:
  DriveBus bus_;
  QtUi ui_;
  Context ctx_;
  std::unique_ptr<MainWindow> window_;
  bool started_ = false;
};

}  // namespace tarvo
