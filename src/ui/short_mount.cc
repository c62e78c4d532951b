#include "ui/short_mount.h"

#include "base/context.h"
#include "device/interrupted_update.h"
#include "hfs/navigation.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"
#include "volume/partition_dialog.h"
#include "volume/partition_map.h"

namespace tarvo {

void ShortMount(Context& ctx) {
  TakeBackInterruptedUpdate(ctx);
  PartitionList partitions;
  if (ReadPartitionMap(ctx, partitions) > 1) {
    SelectPartition(ctx.volume, partitions, ChoosePartition(ctx, partitions));
  }
  const VolumeHeaderFound found = ReadVolumeHeader(ctx);
  if (found == VolumeHeaderFound::kNone) FatalError(ctx, ctx.messages[kMsgNotMacVolume], 1);
  if (found == VolumeHeaderFound::kMsDos) FatalError(ctx, ctx.messages[kMsgMsDosVolume], 2);
  OpenCatalogWorkFile(ctx);
  EnterDirectory(ctx, kRootParentId, "*");
}

}  // namespace tarvo
