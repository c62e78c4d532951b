#include "ui/log_dialog.h"

#include "base/context.h"

namespace tarvo {

LogDialog::LogDialog(Context& ctx) : ctx_(ctx), field_(ctx.messages[kMsgLogFileName]) {}

void LogDialog::SetFieldText(std::string_view text) { field_ = std::string(text); }

void LogDialog::StoreName() {
  field_ = field_.substr(0, kLogDialogNameLimit);
  ctx_.messages.texts[kMsgLogFileName] = field_;
}

void LogDialog::Create() { OpenStoredName(true); }

void LogDialog::Open() { OpenStoredName(false); }

void LogDialog::CloseLogFile() { CloseLog(ctx_.log); }

void LogDialog::Finish() { closed_ = true; }

bool LogDialog::createEnabled() const { return !IsLogOpen(ctx_.log); }

void LogDialog::OpenStoredName(bool create) {
  if (IsLogOpen(ctx_.log)) return;  // the buttons are disabled then
  StoreName();
  const std::string& name = ctx_.messages[kMsgLogFileName];
  const bool opened = create ? OpenLogForCreate(ctx_.log, name) : OpenLogForAppend(ctx_.log, name);
  if (!opened) FatalError(ctx_, std::string(kTextErrorOpeningFile) + name);
}

}  // namespace tarvo
