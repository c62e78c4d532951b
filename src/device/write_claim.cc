#include "device/write_claim.h"

#include "base/engine.h"
#include "base/messages.h"
#include "device/scsi_manager.h"

namespace tarvo {

std::string ClaimSelectedMedium(Engine& ctx) {
  const std::uint8_t adapter = ctx.device.hostAdapterId;
  if (std::string refusal = ctx.scsi->WriteRefusal(adapter, ctx.volume.targetId); !refusal.empty()) return refusal;
  if (ctx.scsi->ClaimMedium(adapter, ctx.volume.targetId) == MediumLockResult::kInUse) return kTextVolumeInUse;
  ctx.device.mediumClaimed = true;
  return "";
}

void ShareClaimedMedia(Engine& ctx) {
  if (!ctx.device.mediumClaimed) return;
  ctx.scsi->ShareMedia();
  ctx.device.mediumClaimed = false;
}

ClaimSpan::ClaimSpan(Engine& ctx) : ctx_(ctx), endsClaims_(!ctx.device.mediumClaimed) {}

ClaimSpan::~ClaimSpan() {
  if (endsClaims_) ShareClaimedMedia(ctx_);
}

}  // namespace tarvo
