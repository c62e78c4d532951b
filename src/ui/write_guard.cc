#include "ui/write_guard.h"

#include "base/big_endian.h"
#include "base/charset.h"
#include "device/write_claim.h"
#include "hfs/volume_header.h"
#include "maintenance/check_volume.h"
#include "maintenance/write_protect.h"
#include "ui/context.h"
#include "ui/folder_navigation.h"
#include "ui/menu_model.h"

namespace tarvo {

namespace {

unsigned WithCatalogGrowth(const VolumeState& volume, unsigned changes);
const WriteVerdict& Verdict(Context& ctx);
void Refuse(Context& ctx, const std::string& text, RefusalNotice notice);

}  // namespace

bool IsGuardedCommand(int id) {
  switch (id) {
    case kMenuFormat: case kMenuRenameVolume: case kMenuCopyToMac:
    case kMenuMakeDirectory: case kMenuDelete: case kMenuRename:
      return true;
    default:
      return false;
  }
}

unsigned GuardedCommandChanges(int id) {
  switch (id) {
    case kMenuRenameVolume: return kChangesVolumeName;
    case kMenuCopyToMac: case kMenuDelete: return kChangesFiles;
    case kMenuMakeDirectory: return kChangesNewFolder;
    case kMenuRename: return kChangesCatalogRecords;
    default: return kChangesNothingChecked;
  }
}

std::function<bool()> DriveWriteProtection(Context& ctx) {
  return [&ctx] { return WriteProtectProbe(ctx, ctx.volume.targetId) == WriteProtection::kProtected; };
}

bool MediumAcceptsWrites(Context& ctx, unsigned changes, RefusalNotice notice) {
  return WriteGuard(ctx, DriveWriteProtection(ctx), changes, notice);
}

bool WriteGuard(Context& ctx, const std::function<bool()>& mediumWriteProtected, unsigned changes,
                RefusalNotice notice) {
  if (ctx.volume.sectorSize == 1024) {
    Refuse(ctx, ctx.messages[kMsgWrite1024], notice);
    return false;
  }
  if (ctx.volume.targetId != kNoDevice) {
    if (const std::string refusal = ClaimSelectedMedium(ctx); !refusal.empty()) {
      Refuse(ctx, refusal, notice);
      return false;
    }
  }
  if (ctx.volume.targetId != kNoDevice && mediumWriteProtected && mediumWriteProtected()) {
    if (ShowMessageBox(ctx, ctx.messages[kMsgWriteProtected], Buttons::kOkCancel) != Answer::kOk) return false;
  }
  // Without a mounted volume the command itself tells the user.
  if (changes == kChangesNothingChecked || !VolumeOpen(ctx) || ctx.volume.catalog.handle == nullptr) return true;

  changes = WithCatalogGrowth(ctx.volume, changes);
  std::vector<const WriteVerdict::Damage*> hits;
  for (const WriteVerdict::Damage& damage : Verdict(ctx).damage) {
    if ((damage.structures & changes) != 0) hits.push_back(&damage);
  }
  if (hits.empty()) return true;
  std::string finding = ConvertString(hits.front()->text, MacToAnsi);
  if (hits.size() > 1) finding += " (and " + std::to_string(hits.size() - 1) + " more)";
  Refuse(ctx, FormatMessage(kTextWriteOnDamage, finding), notice);
  return false;
}

namespace {

// A catalog that runs out of nodes grows into free blocks, and past the
// three extents of drCTExtRec into an overflow record of the extents tree.
unsigned WithCatalogGrowth(const VolumeState& volume, unsigned changes) {
  if ((changes & kCatalogTree) == 0) return changes;
  changes |= kAllocation;
  const bool extentsFull = GetU16(volume.mdb, mdb::drCTExtRec + 10) != 0;
  return extentsFull ? changes | kExtentsTree : changes;
}

// The verdict of the mounted volume, checked now when it has none.
const WriteVerdict& Verdict(Context& ctx) {
  std::optional<WriteVerdict>& verdict = ctx.volume.writeVerdict;
  if (verdict) return *verdict;
  const CheckReport report = CheckVolume(ctx);
  verdict.emplace();
  for (const Finding& finding : report.findings) {
    if (const unsigned structures = ProblemStructures(finding); structures != 0) {
      verdict->damage.push_back(WriteVerdict::Damage{structures, finding.text});
    }
  }
  return *verdict;
}

void Refuse(Context& ctx, const std::string& text, RefusalNotice notice) {
  if (notice == RefusalNotice::kMessageBox) ShowMessageBox(ctx, text, Buttons::kOk);
  else MessageDialog(ctx, text);
}

}  // namespace

}  // namespace tarvo
