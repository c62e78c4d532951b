#include "hfs/sector_run.h"

#include <algorithm>
#include <vector>

#include "base/engine.h"
#include "device/sector_io.h"

namespace tarvo {

namespace {

constexpr std::size_t kSector = 512;
// Room the 1024-byte entry point needs beyond the run itself.
constexpr std::size_t kScratchExtra = 1024;

template <typename Move>
SectorRunResult ForEachChunk(Engine& ctx, std::uint16_t command, std::uint32_t firstSector, std::size_t bytes,
                             Move move) {
  const std::size_t sectors = bytes / kSector;
  const std::size_t chunk = std::max<std::size_t>(1, ctx.volume.transferSectors);
  std::vector<std::uint8_t> scratch(chunk * kSector + kScratchExtra);
  SectorRunResult result = SectorRunResult::kMoved;
  for (std::size_t done = 0; done < sectors;) {
    const std::size_t count = std::min(chunk, sectors - done);
    SectorRequest request;
    request.command = command;
    request.hostAdapter = ctx.device.hostAdapterId;
    request.target = ctx.volume.targetId;
    request.startSector = static_cast<std::uint32_t>(firstSector + done);
    request.sectorCount = static_cast<std::uint16_t>(count);
    request.buffer = scratch;
    if (move(request, done * kSector, count * kSector, scratch) != SectorResult::kDone)
      result = SectorRunResult::kFailed;
    done += count;
  }
  return result;
}

}  // namespace

SectorRunResult ReadSectorRun(Engine& ctx, std::uint32_t firstSector, Bytes data) {
  if (RefusedPastSectorNumbers(ctx, firstSector, data.size() / kSector)) {
    std::fill(data.begin(), data.end(), 0);
    return SectorRunResult::kFailed;
  }
  return ForEachChunk(ctx, kReadSectors, firstSector, data.size(),
                      [&](SectorRequest& request, std::size_t offset, std::size_t length, Bytes scratch) {
                        std::fill(scratch.begin(), scratch.end(), 0);
                        const SectorResult moved = SectorEntry(ctx, request);
                        if (moved == SectorResult::kDone) std::copy_n(scratch.begin(), length, data.begin() + offset);
                        else std::fill_n(data.begin() + offset, length, 0);
                        return moved;
                      });
}

SectorRunResult WriteSectorRun(Engine& ctx, std::uint32_t firstSector, ConstBytes data) {
  if (RefusedPastSectorNumbers(ctx, firstSector, data.size() / kSector)) return SectorRunResult::kFailed;
  return ForEachChunk(ctx, kWriteSectors, firstSector, data.size(),
                      [&](SectorRequest& request, std::size_t offset, std::size_t length, Bytes scratch) {
                        std::copy_n(data.begin() + offset, length, scratch.begin());
                        return SectorEntry(ctx, request);
                      });
}

}  // namespace tarvo
