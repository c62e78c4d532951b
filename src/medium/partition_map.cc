#include "medium/partition_map.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#include "base/big_endian.h"
#include "base/engine.h"
#include "device/sector_io.h"

namespace tarvo {

namespace {

constexpr std::uint64_t kMaxSector = std::numeric_limits<std::uint32_t>::max();

bool HasSignature(ConstBytes bytes, std::size_t offset, std::string_view signature);
void ReadLeadingSectors(Engine& ctx, std::vector<std::uint8_t>& buffer);
bool IsHfsPartition(ConstBytes entry);
std::string PartitionName(ConstBytes entry);
std::uint64_t EntriesToExamine(ConstBytes medium, std::uint16_t blockSize, std::uint32_t deviceSectors);

}  // namespace

MediumMap ReadPartitionMap(Engine& ctx, PartitionList& list) {
  VolumeState& v = ctx.volume;
  list.Clear();
  v.volumeOrigin = 0;
  v.partitionSectors = 0;
  std::vector<std::uint8_t> buffer = AllocZeroed(ctx, std::size_t{v.transferSectors} * 512);
  ReadLeadingSectors(ctx, buffer);
  const ConstBytes medium(buffer);

  // The driver descriptor.
  if (!HasSignature(medium, 0, "ER")) return MediumMap::kNoDescriptor;
  const std::uint16_t blockSize = GetU16(medium, 2);
  if (blockSize != 512 && blockSize != 1024) return MediumMap::kNoDescriptor;
  const std::uint32_t scale = blockSize / 512;  // 512-byte sectors per block
  v.sectorSize = blockSize;
  if (std::uint64_t sectors = std::uint64_t{GetU32(medium, 4)} * scale; sectors != 0)
    v.deviceSectors = static_cast<std::uint32_t>(std::min(sectors, kMaxSector));

  // Old-style map: only the first partition's start counts.
  if (HasSignature(medium, blockSize, "TS")) {
    const std::uint64_t start = std::uint64_t{GetU32(medium, blockSize + 2)} * scale;
    if (start > kMaxSector || (v.deviceSectors != 0 && start >= v.deviceSectors)) return MediumMap::kOldMap;
    v.volumeOrigin = start;
    v.partitionSectors = static_cast<std::uint32_t>(
        std::min(std::uint64_t{GetU32(medium, blockSize + 6)} * scale, kMaxSector));
    return MediumMap::kOldMap;
  }

  // New-style map: one entry per block from block 1 on.
  if (HasSignature(medium, blockSize, "PM")) {
    const std::uint64_t entries = EntriesToExamine(medium, blockSize, v.deviceSectors);
    for (std::uint64_t i = 0; i < entries && list.count < PartitionList::kCapacity; ++i) {
      const ConstBytes entry = medium.subspan((1 + i) * blockSize, blockSize);
      if (!IsHfsPartition(entry)) continue;
      // The data area, which never reaches beyond the partition; the whole
      // partition when the entry gives no data area.
      const std::uint64_t partition = GetU32(entry, 12);
      std::uint64_t size = GetU32(entry, 84);
      if (size == 0 || (partition != 0 && partition < size)) size = partition;
      size *= scale;
      const std::uint64_t start = std::uint64_t{GetU32(entry, 8)} * scale;
      if (size == 0 || start > kMaxSector || (v.deviceSectors != 0 && start >= v.deviceSectors)) continue;
      list.entries[list.count++] = {PartitionName(entry), static_cast<std::uint32_t>(start),
                                    static_cast<std::uint32_t>(std::min(size, kMaxSector))};
    }
    if (list.count > 0) SelectPartition(v, list, 0);
    return MediumMap::kNewMap;
  }

  // An unpartitioned volume behind a descriptor: its header at byte 1024.
  if (HasSignature(medium, 1024, "BD")) return MediumMap::kVolumeBehindDescriptor;
  return MediumMap::kUnknownBlock1;
}

void SelectPartition(VolumeState& volume, const PartitionList& list, int index) {
  const bool chosen = index >= 0 && static_cast<std::size_t>(index) < list.count;
  const PartitionEntry none;
  const PartitionEntry& entry = chosen ? list.entries[static_cast<std::size_t>(index)] : none;
  volume.volumeOrigin = entry.start;
  volume.partitionSectors = entry.sectorCount;
}

namespace {

bool HasSignature(ConstBytes bytes, std::size_t offset, std::string_view signature) {
  CheckRange(bytes.size(), offset, signature.size());
  return std::memcmp(bytes.data() + offset, signature.data(), signature.size()) == 0;
}

// The first transferSectors sectors, but never past the end of a medium of
// known size. A failed read is not reported: the zeros then read as no map.
void ReadLeadingSectors(Engine& ctx, std::vector<std::uint8_t>& buffer) {
  const VolumeState& v = ctx.volume;
  SectorRequest request;
  request.command = kReadSectors;
  request.target = v.targetId;
  request.startSector = 0;
  request.sectorCount = v.transferSectors;
  if (v.deviceSectors != 0 && v.deviceSectors < request.sectorCount)
    request.sectorCount = static_cast<std::uint16_t>(v.deviceSectors);
  request.buffer = buffer;
  SectorEntry(ctx, request);
}

// The type field starts with "Apple_HFS" (nine characters, case-sensitive).
bool IsHfsPartition(ConstBytes entry) { return HasSignature(entry, 48, "Apple_HFS"); }

// The 32-byte name field, up to its first 0 if it has one.
std::string PartitionName(ConstBytes entry) {
  const ConstBytes field = entry.subspan(16, 32);
  const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
  return std::string(field.begin(), end);
}

// The map's own entry count, but only entries that lie in the buffer and on
// the medium: blocks 1 .. min(last block in the buffer, last block of the
// medium).
std::uint64_t EntriesToExamine(ConstBytes medium, std::uint16_t blockSize, std::uint32_t deviceSectors) {
  std::uint64_t entries = GetU32(medium, blockSize + 4);
  const std::uint64_t bufferBlocks = medium.size() / blockSize;
  entries = std::min<std::uint64_t>(entries, bufferBlocks > 0 ? bufferBlocks - 1 : 0);
  if (deviceSectors != 0) {
    const std::uint64_t deviceBlocks = deviceSectors / (blockSize / 512);
    entries = std::min<std::uint64_t>(entries, deviceBlocks > 0 ? deviceBlocks - 1 : 0);
  }
  return entries;
}

}  // namespace

}  // namespace tarvo
