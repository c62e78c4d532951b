#include "ui/name_dialog.h"

#include "base/engine.h"
#include "ui/text_answers.h"

namespace tarvo {

namespace {

constexpr std::size_t kOnTheFlyLength = 30;

}  // namespace

void NameDialog::Ok() {
  result_ = text_.substr(0, maxLength_);
  closed_ = true;
}

void NameDialog::Cancel() {
  result_.reset();
  closed_ = true;
}

void NameDialog::ApplyAnswer(std::string_view answer) {
  if (NormalizeAnswer(answer) == "cancel") return Cancel();
  const std::size_t first = answer.find_first_not_of(" \t");
  if (first == std::string_view::npos) return stakes_ == Stakes::kDestroys ? Cancel() : Ok();
  answer.remove_prefix(first);
  answer.remove_suffix(answer.size() - answer.find_last_not_of(" \t") - 1);
  if (answer.size() >= 2 && answer.front() == '"' && answer.back() == '"') answer = answer.substr(1, answer.size() - 2);
  SetText(std::string(answer));
  Ok();
}

std::optional<std::string> AskPcFileName(Engine& ctx, const std::string& proposal) {
  NameDialog dialog("DLG_NOMD", ctx.messages[kMsgDosFileName], proposal, proposal, kOnTheFlyLength);
  ctx.ui->RunNameDialog(dialog);
  return dialog.result();
}

}  // namespace tarvo
