#include "hfs/bitmap.h"

#include <algorithm>
#include <array>

#include "base/context.h"
#include "hfs/extent_search.h"
#include "hfs/sector_run.h"

namespace tarvo {

std::uint16_t LoadBitmap(Context& ctx) {
  VolumeState& v = ctx.volume;
  v.bitmap.assign((std::size_t{v.bitmapSectors} + 1) * 512, 0);
  v.bitmapWindowStart = 0;
  v.bitmapHeldSectors = v.bitmapSectors;
  const std::uint16_t status =
      ReadSectorRun(ctx, v.mdbSector + 1, Bytes(v.bitmap).first(std::size_t{v.bitmapSectors} * 512));
  v.bitmapOnMedium = v.bitmap;
  return status;
}

ForkSector ForkSectorToMedium(Context& ctx, std::uint32_t forkSector, ConstBytes extents, std::uint32_t fileId,
                              std::uint8_t forkType) {
  const std::uint64_t perBlock = ctx.volume.sectorsPerBlock;
  if (perBlock == 0) return {};
  std::array<std::uint8_t, 12> record{};
  std::copy_n(extents.begin(), record.size(), record.begin());
  std::uint64_t passed = 0;  // fork sectors before the current extent

  for (;;) {
    const std::uint64_t passedBefore = passed;
    for (std::size_t i = 0; i < 3; ++i) {
      const std::uint64_t start = GetU16(record, 4 * i);
      const std::uint64_t length = GetU16(record, 4 * i + 2) * perBlock;
      if (length > 0 && passed + length > forkSector) {
        const std::uint64_t rest = forkSector - passed;
        return ForkSector{static_cast<std::uint32_t>(ctx.volume.volumeOrigin + start * perBlock + rest),
                          static_cast<std::uint32_t>(length - rest)};
      }
      passed += length;
    }
    // Each record must add blocks, so the lookups end.
    const std::uint64_t nextBlock = passed / perBlock;
    if (passed == passedBefore || nextBlock > 0xFFFF) return {};
    const FoundRecord next = FindExtentRecord(ctx, fileId, static_cast<std::uint16_t>(nextBlock), forkType);
    if (!next) return {};
    std::copy_n(next.record.begin(), record.size(), record.begin());
  }
}

}  // namespace tarvo
