#include "maintenance/drive_control.h"

#include "base/context.h"
#include "device/scsi_commands.h"

namespace tarvo {

namespace {

void PreventRemoval(Context& ctx, std::uint8_t prevent) {
  if (ctx.volume.targetId == kNoDevice) return;
  ScsiPreventAllow(ctx, ctx.device.hostAdapterId, ctx.volume.targetId, prevent);
}

}  // namespace

void LockMedium(Context& ctx) { PreventRemoval(ctx, 1); }

void UnlockMedium(Context& ctx) { PreventRemoval(ctx, 0); }

void ToggleResetMode(Context& ctx) { ctx.device.resetBeforeTransfer = !ctx.device.resetBeforeTransfer; }

}  // namespace tarvo
