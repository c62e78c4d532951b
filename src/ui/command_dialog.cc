#include "ui/command_dialog.h"

#include "ui/context.h"
#include "ui/text_answers.h"

namespace tarvo {

int RunCommandLineDialog(Context& ctx) {
  CommandDialog dialog;
  ctx.ui->RunCommandDialog(dialog);
  if (dialog.result() == 1 && ctx.runCommandLine) ctx.runCommandLine(ctx, dialog.line());
  return dialog.result();
}

void CommandDialog::SetLine(std::string_view text) { line_ = std::string(text.substr(0, kCommandLineLimit)); }

void CommandDialog::ApplyAnswer(std::string_view text) {
  if (NormalizeAnswer(text) == "cancel") return Cancel();
  SetLine(text);
  Execute();
}

void CommandDialog::Finish(int result) {
  result_ = result;
  closed_ = true;
}

}  // namespace tarvo
