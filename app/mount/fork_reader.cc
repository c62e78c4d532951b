#include "fork_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "device/sector_io.h"
#include "folder_cache.h"
#include "hfs/extent_record.h"
#include "hfs/extent_search.h"
#include "hfs/work_file.h"
#include "ui/context.h"

namespace tarvo {

ForkReader::ForkReader(Context& ctx, const CatalogEntry& entry) : length_(entry.dataLength) {
  std::uint64_t held = 0;
  const std::uint64_t blockSize = ctx.volume.allocBlockSize;
  WalkForkExtents(entry.dataExtents, OverflowRecords(ctx, entry.id, kDataFork),
                  [&](const ExtentRecord& record, std::uint32_t) {
                    for (const BlockExtent& extent : record.Used()) extents_.push_back(extent);
                    held += std::uint64_t{record.Blocks()} * blockSize;
                    return held >= length_ ? ForkWalkStep::kStop : ForkWalkStep::kNext;
                  });
}

long ForkReader::Read(Context& ctx, char* buffer, std::size_t size, off_t offset) {
  const VolumeState& volume = ctx.volume;
  const std::uint64_t blockSize = volume.allocBlockSize;
  const std::uint64_t start = static_cast<std::uint64_t>(offset);
  const std::uint64_t end = std::min<std::uint64_t>(start + size, length_);
  std::uint64_t extentStart = 0;  // the fork offset where the extent begins
  std::uint64_t at = start;
  for (const BlockExtent& extent : extents_) {
    const std::uint64_t extentEnd = extentStart + extent.blockCount * blockSize;
    while (at < end && at < extentEnd) {
      // Whole sectors around the bytes wanted, at most one request's worth.
      const std::uint64_t inExtent = at - extentStart;
      const std::uint64_t firstSector =
          static_cast<std::uint64_t>(volume.volumeOrigin) + std::uint64_t{extent.startBlock} * volume.sectorsPerBlock +
          inExtent / 512;
      const std::uint64_t skip = inExtent % 512;
      const std::uint64_t wanted = std::min(end, extentEnd) - at;
      const auto count = static_cast<std::uint16_t>(
          std::min<std::uint64_t>((skip + wanted + 511) / 512, volume.transferSectors));
      sectors_.resize(std::size_t{count} * 512);
      if (ReadSectorRun(ctx, static_cast<std::uint32_t>(firstSector), count, sectors_).any()) return -EIO;
      const std::uint64_t taken = std::min<std::uint64_t>(wanted, std::size_t{count} * 512 - skip);
      std::memcpy(buffer + (at - start), sectors_.data() + skip, taken);
      at += taken;
    }
    if (at >= end) break;
    extentStart = extentEnd;
  }
  if (at < end) return -EIO;
  return static_cast<long>(end > start ? end - start : 0);
}

}  // namespace tarvo
