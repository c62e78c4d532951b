#include "ui/short_mount.h"

#include "device/interrupted_update.h"
#include "hfs/navigation.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"
#include "ui/context.h"
#include "ui/partition_dialog.h"
#include "volume/msdos_probe.h"
#include "volume/partition_map.h"

namespace tarvo {

void ShortMount(Context& ctx) {
  TakeBackInterruptedUpdate(ctx);
  PartitionList partitions;
  if (ReadPartitionMap(ctx, partitions) > 1) {
    SelectPartition(ctx.volume, partitions, ChoosePartition(ctx, partitions));
  }
  std::int64_t origin = ReadVolumeHeader(ctx);
  if (origin == 0) origin = ctx.volume.volumeOrigin = MsDosProbe(ctx);
  if (origin == 0) FatalError(ctx, ctx.messages[kMsgNotMacVolume], 1);
  if (origin < 0) FatalError(ctx, ctx.messages[kMsgMsDosVolume], 2);
  OpenCatalogWorkFile(ctx);
  EnterDirectory(ctx, kRootParentId, "*");
}

}  // namespace tarvo
