#include "ui/short_mount.h"

#include "base/context.h"
#include "hfs/navigation.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"
#include "volume/partition_dialog.h"
#include "volume/partition_map.h"

namespace tarvo {

void ShortMount(Context& ctx) {
  PartitionList partitions;
  if (ReadPartitionMap(ctx, partitions) > 1) {
    const int chosen = ChoosePartition(ctx, partitions);
    ctx.volume.volumeOrigin = chosen >= 0 ? partitions.entries[static_cast<std::size_t>(chosen)].start : 0;
  }
  const std::int64_t origin = ReadVolumeHeader(ctx);
  if (origin == 0) FatalError(ctx, ctx.messages[kMsgNotMacVolume], 1);
  if (origin < 0) FatalError(ctx, ctx.messages[kMsgMsDosVolume], 2);
  OpenCatalogWorkFile(ctx);
  EnterDirectory(ctx, kRootParentId, "*");
}

}  // namespace tarvo
