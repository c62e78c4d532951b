#include "hfs/delete_question.h"

#include "base/engine.h"

namespace tarvo {

ConfirmNonEmpty AskBeforeNonEmpty(Engine& ctx) {
  return [&ctx] {
    return ctx.ui->ShowMessageBox(ctx.messages[kMsgDirectoryNotEmpty], ctx.messages[kMsgDeleteDirectory],
                                  Buttons::kOkCancel, Stakes::kDestroys) != Answer::kCancel;
  };
}

}  // namespace tarvo
