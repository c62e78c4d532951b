#include "ui/write_guard.h"

#include "base/context.h"
#include "maintenance/write_protect.h"
#include "ui/menu_model.h"

namespace tarvo {

bool IsGuardedCommand(int id) {
  switch (id) {
    case kMenuFormat: case kMenuRenameVolume: case kMenuCopyToMac:
    case kMenuMakeDirectory: case kMenuDelete: case kMenuRename:
      return true;
    default:
      return false;
  }
}

std::function<bool()> DriveWriteProtection(Context& ctx) {
  return [&ctx] { return WriteProtectProbe(ctx, ctx.volume.targetId) == kWriteProtected; };
}

bool MediumAcceptsWrites(Context& ctx, RefusalNotice notice) {
  return WriteGuard(ctx, DriveWriteProtection(ctx), notice);
}

bool WriteGuard(Context& ctx, const std::function<bool()>& mediumWriteProtected, RefusalNotice notice) {
  if (ctx.volume.sectorSize == 1024) {
    if (notice == RefusalNotice::kMessageBox) ShowMessageBox(ctx, ctx.messages[kMsgWrite1024], Buttons::kOk);
    else MessageDialog(ctx, kMsgWrite1024);
    return false;
  }
  if (ctx.volume.targetId != kNoDevice && mediumWriteProtected && mediumWriteProtected()) {
    return ShowMessageBox(ctx, ctx.messages[kMsgWriteProtected], Buttons::kOkCancel) == Answer::kOk;
  }
  return true;
}

}  // namespace tarvo
