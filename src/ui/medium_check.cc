#include "ui/medium_check.h"

#include "base/context.h"
#include "maintenance/write_protect.h"

namespace tarvo {

bool MediumAcceptsWrites(Context& ctx, RefusalNotice notice) {
  return WriteGuard(
      ctx, [&ctx] { return WriteProtectProbe(ctx, ctx.volume.targetId) == kWriteProtected; }, notice);
}

}  // namespace tarvo
