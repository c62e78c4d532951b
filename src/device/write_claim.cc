#include "device/write_claim.h"

#include "base/context.h"

namespace tarvo {

bool ClaimSelectedMedium(Context& ctx) {
  if (ctx.scsi->ClaimMedium(ctx.device.hostAdapterId, ctx.volume.targetId) == MediumLockResult::kInUse) return false;
  ctx.device.mediumClaimed = true;
  return true;
}

void ShareClaimedMedia(Context& ctx) {
  if (!ctx.device.mediumClaimed) return;
  ctx.scsi->ShareMedia();
  ctx.device.mediumClaimed = false;
}

ClaimSpan::ClaimSpan(Context& ctx) : ctx_(ctx), endsClaims_(!ctx.device.mediumClaimed) {}

ClaimSpan::~ClaimSpan() {
  if (endsClaims_) ShareClaimedMedia(ctx_);
}

}  // namespace tarvo
