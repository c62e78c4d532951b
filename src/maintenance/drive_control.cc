#include "maintenance/drive_control.h"

#include "base/engine.h"
#include "device/scsi_commands.h"

namespace tarvo {

namespace {

void PreventRemoval(Engine& ctx, std::uint8_t prevent) {
  if (ctx.volume.targetId == kNoDevice) return;
  ScsiPreventAllow(ctx, ctx.device.hostAdapterId, ctx.volume.targetId, prevent);
}

}  // namespace

void LockMedium(Engine& ctx) { PreventRemoval(ctx, 1); }

void UnlockMedium(Engine& ctx) { PreventRemoval(ctx, 0); }

void ToggleResetMode(Engine& ctx) { ctx.device.resetBeforeTransfer = !ctx.device.resetBeforeTransfer; }

}  // namespace tarvo
