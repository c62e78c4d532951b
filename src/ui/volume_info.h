// The figures of DLG_INFO, "Informations about the Macintosh volume", taken
// from the volume header and the volume state of the mounted volume. All
// are unsigned decimal figures; sector numbers and offsets count 512-byte
// logical sectors from the start of the medium.
//
//   500 "Volume Size:"          total allocation blocks x block size, bytes
//   501 "Free space:"           free allocation blocks x block size, bytes
//   503 "Number of files:"      drFilCnt
//   504 "Number of folders:"    drDirCnt
//   505 "Next File ID:"         drNxtCNID
//   502 "MDB Offset:"           sector of the volume header
//   506 "Partitions:"           the partition count of the run (always 1)
//   507 "Cluster Size:"         allocation block size, bytes
//   508 "Number of Sectors:"    total allocation blocks x sectors per block
//   511 "Extensions Offset:"    first block of the extents tree x sectors per
//                               block + first sector of the allocation area
//   509 "Catalog Offset:"       the same for the catalog tree
//   512 "Extensions Size (sectors):"  extents file bytes / sector size
//   510 "Catalog Size (sectors):"     catalog file bytes / sector size
// The tree sizes are counted in the medium's own sectors (1024 bytes on
// 1024-byte media).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvo {

struct Context;

struct VolumeInfo {
  std::uint64_t volumeSize = 0;
  std::uint64_t freeSpace = 0;
  std::uint32_t fileCount = 0;
  std::uint32_t folderCount = 0;
  std::uint32_t nextFileId = 0;
  std::uint32_t mdbOffset = 0;
  std::uint32_t partitions = 0;
  std::uint32_t clusterSize = 0;
  std::uint64_t sectorCount = 0;
  std::uint64_t extentsOffset = 0;
  std::uint64_t catalogOffset = 0;
  std::uint32_t extentsSectors = 0;
  std::uint32_t catalogSectors = 0;
};

// The figures of the mounted volume; call only with a volume open.
VolumeInfo ComputeVolumeInfo(const Context& ctx);

// The dialog's fields in its order: control id, label and figure.
struct VolumeInfoField {
  int id;
  const char* label;
  std::uint64_t value;
};
std::vector<VolumeInfoField> VolumeInfoFields(const VolumeInfo& info);

// The dialog's labels with their figures, in the dialog's order, e.g.
// "Volume Size: 40960000".
std::vector<std::string> VolumeInfoLines(const VolumeInfo& info);

}  // namespace tarvo
