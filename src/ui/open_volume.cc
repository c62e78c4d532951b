#include "ui/open_volume.h"

#include "base/charset.h"
#include "device/interrupted_update.h"
#include "hfs/btree.h"
#include "hfs/medium_probes.h"
#include "hfs/navigation.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"
#include "medium/msdos_probe.h"
#include "medium/partition_map.h"
#include "ui/context.h"
#include "ui/partition_dialog.h"

namespace tarvo {

namespace {
bool CatalogHeaderIsSound(ConstBytes header);
}  // namespace

VolumeOpening OpenVolume(Context& ctx) {
  ListingView& view = ctx.listing;
  view.count = view.first = view.next = 0;
  // The title names the volume shown, none while no volume is found.
  ctx.settings.windowTitle = ctx.messages[kMsgProductName];
  SetStatus(ctx, ctx.messages[kMsgAnalyzing], kTextPleaseWait);
  AdvanceWaitCursor(ctx);
  TakeBackInterruptedUpdate(ctx);

  switch (ProbeMedium(ctx, [&ctx](const PartitionList& partitions) { return ChoosePartition(ctx, partitions); })) {
    case MediumKind::kUnknown:
      ctx.volume.targetId = kNoDevice;
      return VolumeOpening::kNoMacVolume;
    case MediumKind::kMsDos:
      SetStatus(ctx, ctx.messages[kMsgMsDosVolume]);
      return VolumeOpening::kMsDos;
    case MediumKind::kMacVolume:
      break;
  }

  if (const VolumeFit fit = FitOnMedium(ctx.volume); fit != VolumeFit::kInside)
    MessageDialog(ctx, fit == VolumeFit::kPastMedium ? kTextVolumePastMedium : kTextVolumePastPartition);
  if (OpenCatalogWorkFile(ctx) == CatalogCopy::kInPart)
    MessageDialog(ctx, "The catalog is incomplete: an extent record is missing. Some files may not be listed.");
  else if (!CatalogHeaderIsSound(ctx.volume.catalog.header))
    MessageDialog(ctx, kTextCatalogDamaged);
  const std::string name = ConvertString(VolumeName(ctx.volume), MacToAnsi);
  ctx.settings.windowTitle = ctx.messages[kMsgProductName] + " : " + name;
  ShowRootFolder(ctx);
  SetStatus(ctx, std::nullopt);
  if (IsLogOpen(ctx.log)) AppendLog(ctx.log, "*log " + name + "\n");
  return VolumeOpening::kOpened;
}

namespace {

// Node 0 is a header node, and the tree has a root: a catalog always holds
// at least the root folder's records. A catalog read from the wrong place
// (its extent off the medium, a damaged header) fails this.
bool CatalogHeaderIsSound(ConstBytes header) {
  return IsHeaderNode(header) && GetU32(header, header::bthRoot) != 0;
}

}  // namespace

void ShowRootFolder(Context& ctx) {
  if (std::optional<std::uint16_t> valence = EnterDirectory(ctx, kRootParentId, "*"))
    ResizeListing(ctx.listing, *valence);
  LoadListing(ctx);
}

}  // namespace tarvo
