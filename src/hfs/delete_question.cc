#include "hfs/delete_question.h"

#include "base/context.h"

namespace tarvo {

ConfirmNonEmpty AskBeforeNonEmpty(Context& ctx) {
  return [&ctx] {
    return ctx.ui->ShowMessageBox(ctx.messages[kMsgDirectoryNotEmpty], ctx.messages[kMsgDeleteDirectory],
                                  Buttons::kOkCancel, Stakes::kDestroys) != Answer::kCancel;
  };
}

}  // namespace tarvo
