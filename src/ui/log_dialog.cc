#include "ui/log_dialog.h"

#include "ui/context.h"
#include "ui/text_answers.h"

namespace tarvo {

void RunLogFileDialog(Context& ctx) {
  LogDialog dialog(ctx);
  ctx.ui->RunLogDialog(dialog);
}

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

void LogDialog::ApplyAnswer(std::string_view text) {
  const std::size_t start = text.find_first_not_of(' ');
  text.remove_prefix(start == std::string_view::npos ? text.size() : start);
  const std::size_t blank = text.find(' ');
  const std::string word = NormalizeAnswer(text.substr(0, blank));
  std::string_view argument = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
  if (word.empty() || word == "ok" || word == "cancel") return Finish();
  if (word == "close") return CloseLogFile();
  if (word != "name" && word != "create" && word != "open") return;
  if (!argument.empty()) SetFieldText(argument);
  if (word == "name") StoreName();
  else if (word == "create") Create();
  else Open();
}

bool LogDialog::createEnabled() const { return !IsLogOpen(ctx_.log); }

void LogDialog::OpenStoredName(bool create) {
  if (IsLogOpen(ctx_.log)) return;  // the buttons are disabled then
  StoreName();
  const std::string& name = ctx_.messages[kMsgLogFileName];
  const bool opened = create ? OpenLogForCreate(ctx_.log, name) : OpenLogForAppend(ctx_.log, name);
  if (!opened) FatalError(ctx_, std::string(kTextErrorOpeningFile) + name);
}

}  // namespace tarvo
