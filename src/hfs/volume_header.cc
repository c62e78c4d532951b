#include "hfs/volume_header.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "base/big_endian.h"
#include "base/engine.h"
#include "hfs/sector_run.h"

namespace tarvo {

namespace {

constexpr std::uint32_t kMdbOffsetSectors = 2;  // 1024 bytes after the volume start
// After the last allocation block: the alternate MDB and one spare sector.
constexpr std::int64_t kSectorsAfterBlocks = 2;
constexpr std::size_t kSector = 512;

bool IsUsableHeader(ConstBytes m);

}  // namespace

VolumeHeaderFound ReadVolumeHeader(Engine& ctx) {
  VolumeState& v = ctx.volume;
  v.writeVerdict.reset();  // another volume, or the same one changed meanwhile
  v.mdbSector = static_cast<std::uint32_t>(std::max<std::int64_t>(v.volumeOrigin, 0) + kMdbOffsetSectors);

  bool found = false;
  for (int attempt = 0; attempt < kHeaderReadAttempts && !found; ++attempt) {
    ReadSectorRun(ctx, v.mdbSector, v.mdb);
    found = IsUsableHeader(v.mdb);
  }
  if (!found) {
    v.volumeOrigin = 0;
    return VolumeHeaderFound::kNone;
  }

  if (v.adapterKind == AdapterKind::kAspi) {
    ctx.device.sectorEntry = v.sectorSize == 1024 ? SectorEntryKind::k1024 : SectorEntryKind::k512;
  }
  const std::uint16_t firstBlockSector = GetU16(v.mdb, mdb::drAlBlSt);
  v.volumeOrigin = std::int64_t{v.mdbSector} + firstBlockSector - kMdbOffsetSectors;
  v.bitmapSectors = static_cast<std::uint16_t>(firstBlockSector - GetU16(v.mdb, mdb::drVBMSt));
  v.allocBlockSize = GetU32(v.mdb, mdb::drAlBlkSiz);
  v.sectorsPerBlock = v.allocBlockSize / kSector;
  return VolumeHeaderFound::kHfs;
}

std::int64_t BlocksEnd(const VolumeState& v) {
  return v.volumeOrigin + std::int64_t{GetU16(v.mdb, mdb::drNmAlBlks)} * v.sectorsPerBlock;
}

std::int64_t PartitionEnd(const VolumeState& v) {
  return std::int64_t{v.mdbSector} - kMdbOffsetSectors + v.partitionSectors;
}

VolumeFit FitOnMedium(const VolumeState& v) {
  if (v.volumeOrigin <= 0) return VolumeFit::kInside;
  const std::int64_t blocksEnd = BlocksEnd(v);
  if (v.partitionSectors != 0 && blocksEnd > PartitionEnd(v)) return VolumeFit::kPastPartition;
  // deviceSectors may be the last sector's number: only what lies past
  // that and one more sector is surely off the medium.
  const std::int64_t mediumEnd = v.mediumSectors != 0 ? std::int64_t{v.mediumSectors}
                                 : v.deviceSectors != 0 ? std::int64_t{v.deviceSectors} + 1
                                                        : INT64_MAX;
  return blocksEnd > mediumEnd ? VolumeFit::kPastMedium : VolumeFit::kInside;
}

std::optional<std::uint32_t> AlternateMdbSector(const VolumeState& v) {
  if (v.volumeOrigin <= 0 || v.mdbSector < kMdbOffsetSectors) return std::nullopt;
  const std::int64_t blocksEnd = BlocksEnd(v);
  const std::int64_t device = v.mediumSectors != 0 ? v.mediumSectors : v.deviceSectors;
  std::int64_t areaEnd = blocksEnd + kSectorsAfterBlocks;
  if (v.partitionSectors != 0) {
    areaEnd = PartitionEnd(v);
  } else if (device >= areaEnd && device < areaEnd + v.sectorsPerBlock) {
    areaEnd = device;
  }
  const std::int64_t alternate = areaEnd - kSectorsAfterBlocks;
  if (alternate < blocksEnd || alternate <= v.mdbSector || alternate > UINT32_MAX) return std::nullopt;
  if (device != 0 && alternate >= device) return std::nullopt;
  return static_cast<std::uint32_t>(alternate);
}

SectorRunResult WriteVolumeHeader(Engine& ctx) {
  VolumeState& v = ctx.volume;
  SectorRunResult result = WriteSectorRun(ctx, v.mdbSector, v.mdb);
  if (const std::optional<std::uint32_t> alternate = AlternateMdbSector(v)) {
    if (WriteSectorRun(ctx, *alternate, v.mdb) == SectorRunResult::kFailed) result = SectorRunResult::kFailed;
  }
  return result;
}

namespace {

bool IsUsableHeader(ConstBytes m) {
  const std::uint32_t blockSize = GetU32(m, mdb::drAlBlkSiz);
  const std::uint16_t firstCatalogBlocks = GetU16(m, mdb::drCTExtRec + 2);
  return GetU16(m, mdb::drSigWord) == kHfsSignature && firstCatalogBlocks != 0 && blockSize != 0 &&
         blockSize % kSector == 0 && GetU16(m, mdb::drAlBlSt) > GetU16(m, mdb::drVBMSt);
}

}  // namespace

std::string VolumeName(const VolumeState& volume) {
  const std::size_t length = std::min<std::size_t>(volume.mdb[mdb::drVN], mdb::kVolumeNameMax);
  return std::string(reinterpret_cast<const char*>(&volume.mdb[mdb::drVN + 1]), length);
}

}  // namespace tarvo
