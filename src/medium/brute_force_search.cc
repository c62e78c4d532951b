#include "medium/brute_force_search.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "base/big_endian.h"
#include "base/engine.h"
#include "device/sector_io.h"

namespace tarvo {

namespace {

// The scan goes on while no more than this many sectors were examined.
constexpr std::uint32_t kScanLimit = 2000;

std::optional<std::uint32_t> FindSignature(Engine& ctx, std::vector<std::uint8_t>& buffer);
bool StartsWithBD(ConstBytes sector);

}  // namespace

std::uint32_t BruteForceSearch(Engine& ctx) {
  VolumeState& v = ctx.volume;
  v.volumeOrigin = 0;
  v.partitionSectors = 0;  // no map bounds a volume found this way
  std::vector<std::uint8_t> buffer = AllocZeroed(ctx, std::size_t{v.transferSectors} * 512);
  const std::optional<std::uint32_t> found = FindSignature(ctx, buffer);
  if (!found || *found == 0) return 0;

  // The volume starts two sectors before its header; allocation block 0
  // starts drAlBlSt sectors into it.
  const ConstBytes header = ConstBytes(buffer).subspan(std::size_t{*found % v.transferSectors} * 512, 512);
  const std::uint16_t drAlBlSt = GetU16(header, 0x1C);
  const std::uint32_t drAlBlkSiz = GetU32(header, 0x14);
  const std::int64_t origin = std::int64_t{*found} + drAlBlSt - 2;
  const std::uint32_t sectorsPerBlock = drAlBlkSiz / 512;
  if (origin <= 0 || sectorsPerBlock == 0) return 0;

  std::copy(header.begin(), header.end(), v.mdb.begin());
  v.mdbSector = *found;
  v.volumeOrigin = origin;
  v.bitmapSectors = static_cast<std::uint16_t>(drAlBlSt - GetU16(header, 0x0E));
  v.allocBlockSize = drAlBlkSiz;
  v.sectorsPerBlock = sectorsPerBlock;
  if (v.deviceSectors == 0) {
    const std::uint64_t end = origin + std::uint64_t{GetU16(header, 0x12)} * sectorsPerBlock + 2;
    v.deviceSectors = static_cast<std::uint32_t>(std::min<std::uint64_t>(end, UINT32_MAX));
  }
  return static_cast<std::uint32_t>(origin);
}

namespace {

// The first sector that begins with "BD", left in `buffer` with its chunk.
std::optional<std::uint32_t> FindSignature(Engine& ctx, std::vector<std::uint8_t>& buffer) {
  const VolumeState& v = ctx.volume;
  for (std::uint32_t first = 0; first <= kScanLimit; first += v.transferSectors) {
    if (v.deviceSectors != 0 && first >= v.deviceSectors) break;
    AdvanceWaitCursor(ctx);
    SectorRequest request;
    request.command = kReadSectors;
    request.target = v.targetId;
    request.startSector = first;
    request.sectorCount = v.transferSectors;
    if (v.deviceSectors != 0)
      request.sectorCount = static_cast<std::uint16_t>(std::min<std::uint32_t>(request.sectorCount, v.deviceSectors - first));
    request.buffer = buffer;
    const std::uint16_t count = request.sectorCount;
    // A chunk that failed is not trusted, even in part.
    if (SectorEntry(ctx, request) != SectorResult::kDone) continue;
    for (std::uint32_t k = 0; k < count; ++k)
      if (StartsWithBD(ConstBytes(buffer).subspan(std::size_t{k} * 512, 512))) return first + k;
  }
  return std::nullopt;
}

bool StartsWithBD(ConstBytes sector) { return GetU8(sector, 0) == 'B' && GetU8(sector, 1) == 'D'; }

}  // namespace

}  // namespace tarvo
