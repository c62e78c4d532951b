#include "ui/volume_info.h"

#include "base/big_endian.h"
#include "hfs/navigation.h"
#include "hfs/volume_header.h"
#include "ui/context.h"

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

void VolumeInfoCommand(Context& ctx) {
  if (VolumeOpen(ctx)) ctx.ui->ShowVolumeInfo(ComputeVolumeInfo(ctx));
}

std::vector<VolumeInfoField> VolumeInfoFields(const VolumeInfo& info) {
  return {
      {500, "Volume Size:", info.volumeSize},
      {501, "Free space:", info.freeSpace},
      {503, "Number of files:", info.fileCount},
      {504, "Number of folders:", info.folderCount},
      {505, "Next File ID:", info.nextFileId},
      {502, "MDB Offset:", info.mdbOffset},
      {506, "Partitions:", info.partitions},
      {507, "Cluster Size:", info.clusterSize},
      {508, "Number of Sectors:", info.sectorCount},
      {511, "Extensions Offset:", info.extentsOffset},
      {509, "Catalog Offset:", info.catalogOffset},
      {512, "Extensions Size (sectors):", info.extentsSectors},
      {510, "Catalog Size (sectors):", info.catalogSectors},
  };
}

std::vector<std::string> VolumeInfoLines(const VolumeInfo& info) {
  std::vector<std::string> lines;
  for (const VolumeInfoField& field : VolumeInfoFields(info))
    lines.push_back(field.label + std::string(" ") + std::to_string(field.value));
  return lines;
}

}  // namespace tarvo
