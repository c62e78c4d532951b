#include "maintenance/verify_medium.h"

#include <algorithm>
#include <string>

#include "base/engine.h"
#include "device/scsi_commands.h"

namespace tarvo {

VerifyResult VerifyMedium(Engine& ctx, std::uint8_t adapter, std::uint8_t target) {
  const std::uint32_t last = ScsiLastBlock(ctx, adapter, target).value_or(0);
  VerifyResult result;
  std::uint32_t block = 1;
  for (std::uint32_t remaining = last; remaining > 0;) {
    const std::uint32_t count = std::min(kVerifyGroupBlocks, remaining);
    if (PollAbort(ctx)) {
      result.stopped = true;
      return result;
    }
    result.blocks += count;
    const auto groupBlocks = static_cast<std::uint16_t>(count);
    if (ScsiVerify10(ctx, adapter, target, block, groupBlocks) == VerifyReport::kBlockError) {
      ++result.failedGroups;
      const std::string question = FormatMessage(ctx.messages[kMsgBlockError], std::to_string(count),
                                                 std::to_string(block));
      if (ShowMessageBox(ctx, question, Buttons::kYesNoCancel) != Answer::kYes) {
        result.stopped = remaining > count;
        return result;
      }
    }
    remaining -= count;
    block += count;
    ShowProgress(ctx, remaining, last);
  }
  return result;
}

}  // namespace tarvo
