// The figures of DLG_INFO, "Informations about the Macintosh volume", taken
// from the volume header and the volume state of the mounted volume, as
// unsigned decimal figures. Sector numbers and offsets count 512-byte
// logical sectors from the start of the medium; the tree sizes count the
// medium's own sectors (1024 bytes on 1024-byte media).
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
// Shows them when a volume is mounted.
void VolumeInfoCommand(Context& ctx);

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
