#include "ui/volume_info.h"

#include "base/big_endian.h"
#include "base/context.h"
#include "hfs/volume_header.h"

namespace tarvo {

VolumeInfo ComputeVolumeInfo(const Context& ctx) {
  const VolumeState& volume = ctx.volume;
  const auto& header = volume.mdb;
  const std::uint64_t blockSize = volume.allocBlockSize;
  const std::uint64_t perBlock = volume.sectorsPerBlock;
  const std::uint64_t allocationStart = volume.volumeOrigin > 0 ? static_cast<std::uint64_t>(volume.volumeOrigin) : 0;
  const std::uint32_t sectorSize = volume.sectorSize != 0 ? volume.sectorSize : 512;

  VolumeInfo info;
  info.volumeSize = GetU16(header, mdb::drNmAlBlks) * blockSize;
  info.freeSpace = GetU16(header, mdb::drFreeBks) * blockSize;
  info.fileCount = GetU32(header, mdb::drFilCnt);
  info.folderCount = GetU32(header, mdb::drDirCnt);
  info.nextFileId = GetU32(header, mdb::drNxtCNID);
  info.mdbOffset = volume.mdbSector;
  info.partitions = ctx.settings.partitionCount;
  info.clusterSize = volume.allocBlockSize;
  info.sectorCount = GetU16(header, mdb::drNmAlBlks) * perBlock;
  // An extent record begins with the first block of its first extent.
  info.extentsOffset = GetU16(header, mdb::drXTExtRec) * perBlock + allocationStart;
  info.catalogOffset = GetU16(header, mdb::drCTExtRec) * perBlock + allocationStart;
  info.extentsSectors = GetU32(header, mdb::drXTFlSize) / sectorSize;
  info.catalogSectors = GetU32(header, mdb::drCTFlSize) / sectorSize;
  return info;
}

std::vector<std::string> VolumeInfoLines(const VolumeInfo& info) {
  const auto line = [](const char* label, std::uint64_t value) { return label + std::string(" ") + std::to_string(value); };
  return {
      line("Volume Size:", info.volumeSize),
      line("Free space:", info.freeSpace),
      line("Number of files:", info.fileCount),
      line("Number of folders:", info.folderCount),
      line("Next File ID:", info.nextFileId),
      line("MDB Offset:", info.mdbOffset),
      line("Partitions:", info.partitions),
      line("Cluster Size:", info.clusterSize),
      line("Number of Sectors:", info.sectorCount),
      line("Extensions Offset:", info.extentsOffset),
      line("Catalog Offset:", info.catalogOffset),
      line("Extensions Size (sectors):", info.extentsSectors),
      line("Catalog Size (sectors):", info.catalogSectors),
  };
}

}  // namespace tarvo
