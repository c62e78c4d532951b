#include "base/services.h"

#include "base/engine.h"

namespace tarvo {

int MessageDialog(Engine& ctx, const std::string& text) {
  int result = ctx.ui->MessageDialog(text, ctx.messages[kMsgCaption]);
  if (result == -1 && IsLogOpen(ctx.log)) AppendLog(ctx.log, "#" + text + "\n");
  return result;
}

int MessageDialog(Engine& ctx, int entry) { return MessageDialog(ctx, ctx.messages[entry]); }

Answer ShowMessageBox(Engine& ctx, const std::string& text, Buttons buttons, Stakes stakes) {
  return ctx.ui->ShowMessageBox(text, ctx.messages[kMsgCaption], buttons, stakes);
}

void FatalError(Engine& ctx, const std::string& text, int exitCode) {
  MessageDialog(ctx, text);
  throw FatalExit(text, exitCode);
}

void SetStatus(Engine& ctx, std::optional<std::string> left, std::optional<std::string> right) {
  ServicesState& s = ctx.services;
  if (!left) s.statusLeft.clear();
  else if (!left->empty()) s.statusLeft = left->substr(0, 140);
  s.statusRight = right.value_or("");
  ctx.ui->PaintStatusLine(s.statusLeft, s.statusRight);
}

unsigned ProgressPercent(unsigned long remaining, unsigned long total) {
  if (total == 0 || remaining > total) return 0;
  return static_cast<unsigned>((total - remaining) * 100 / total);
}

void ShowProgress(Engine& ctx, unsigned long remaining, unsigned long total) {
  ctx.ui->PaintProgress(ProgressPercent(remaining, total));
}

bool PollAbort(Engine& ctx) {
  if (!ctx.ui->TakeEscapeKey()) return false;
  return ShowMessageBox(ctx, ctx.messages[kMsgReallyAbort], Buttons::kYesNo) == Answer::kYes;
}

void AdvanceWaitCursor(Engine& ctx) {
  ctx.services.waitFrame = ctx.services.waitFrame % 12 + 1;
  ctx.ui->ShowWaitFrame(ctx.services.waitFrame);
}

}  // namespace tarvo
