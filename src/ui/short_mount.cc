#include "ui/short_mount.h"

#include "device/interrupted_update.h"
#include "hfs/medium_probes.h"
#include "hfs/navigation.h"
#include "hfs/work_file.h"
#include "medium/msdos_probe.h"
#include "medium/partition_map.h"
#include "ui/context.h"
#include "ui/partition_dialog.h"

namespace tarvo {

void ShortMount(Context& ctx) {
  TakeBackInterruptedUpdate(ctx);
  const MediumKind kind =
      ProbeMedium(ctx, [&ctx](const PartitionList& partitions) { return ChoosePartition(ctx, partitions); });
  if (kind == MediumKind::kUnknown) FatalError(ctx, ctx.messages[kMsgNotMacVolume], 1);
  if (kind == MediumKind::kMsDos) FatalError(ctx, ctx.messages[kMsgMsDosVolume], 2);
  OpenCatalogWorkFile(ctx);
  EnterDirectory(ctx, kRootParentId, "*");
}

}  // namespace tarvo
