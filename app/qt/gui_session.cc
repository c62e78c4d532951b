#include "gui_session.h"

#include "command/run_command.h"
#include "help_window.h"
#include "ui/startup.h"

namespace tarvo {

GuiSession::GuiSession() {
  ctx_.ui = &ui_;
  ctx_.runCommandLine = ExecuteCommandLine;
  window_ = std::make_unique<MainWindow>(ctx_, ui_, bus_);
}

GuiSession::~GuiSession() {
  try {
    Shutdown();
  } catch (const FatalExit&) {
  }
}

std::string GuiSession::Start(const StartupOptions& given) {
  StartupOptions options = given;
  if (std::string error = bus_.Assemble(options); !error.empty()) return error;
  if (std::string error = bus_.AttachNamedFiles(options); !error.empty()) return error;
  for (const std::string& file : options.files) window_->images().Remember(QString::fromStdString(file));
  ctx_.scsi = &bus_.manager();
  ctx_.settings.helpFilePath = HelpFilePath().toStdString();
  ui_.SetHelpFile(HelpFilePath());
  started_ = true;
  InitSettings(ctx_, options);
  window_->Refresh();
  window_->show();
  OpenVolumeAtStart(ctx_);
  ui_.EndWait();
  window_->Refresh();
  return "";
}

void GuiSession::Shutdown() {
  if (!started_) return;
  started_ = false;
  ui_.EndWait();
  ui_.CloseHelp();
  tarvo::Shutdown(ctx_);
}

}  // namespace tarvo
