#include "hfs/bitmap.h"

#include <algorithm>

#include "base/engine.h"
#include "hfs/extent_record.h"
#include "hfs/extent_search.h"
#include "hfs/sector_run.h"

namespace tarvo {

SectorRunResult LoadBitmap(Engine& ctx) {
  VolumeState& v = ctx.volume;
  v.bitmap.assign((std::size_t{v.bitmapSectors} + 1) * 512, 0);
  v.bitmapWindowStart = 0;
  v.bitmapHeldSectors = v.bitmapSectors;
  const SectorRunResult result =
      ReadSectorRun(ctx, v.mdbSector + 1, Bytes(v.bitmap).first(std::size_t{v.bitmapSectors} * 512));
  v.bitmapOnMedium = v.bitmap;
  return result;
}

ForkSector ForkSectorToMedium(Engine& ctx, std::uint32_t forkSector, ConstBytes extents, std::uint32_t fileId,
                              std::uint8_t forkType) {
  const std::uint64_t perBlock = ctx.volume.sectorsPerBlock;
  if (perBlock == 0) return {};
  ForkSector found;
  const ExtentRecordVisitor locate = [&](const ExtentRecord& record, std::uint32_t forkBlock) {
    std::uint64_t passed = forkBlock * perBlock;  // fork sectors before the extent
    for (const BlockExtent& extent : record.Used()) {
      const std::uint64_t length = extent.blockCount * perBlock;
      if (passed + length > forkSector) {
        const std::uint64_t rest = forkSector - passed;
        const std::uint64_t origin = static_cast<std::uint64_t>(ctx.volume.volumeOrigin);
        const std::uint64_t sector = origin + extent.startBlock * perBlock + rest;
        // A sector no 32-bit number reaches stays "beyond", never wrapped.
        if (sector <= UINT32_MAX) {
          found = ForkSector{static_cast<std::uint32_t>(sector),
                             static_cast<std::uint32_t>(std::min<std::uint64_t>(length - rest, UINT32_MAX))};
        }
        return ForkWalkStep::kStop;
      }
      passed += length;
    }
    return ForkWalkStep::kNext;
  };
  WalkForkExtents(extents, OverflowRecords(ctx, fileId, forkType), locate);
  return found;
}

}  // namespace tarvo
