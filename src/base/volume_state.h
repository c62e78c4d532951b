// The mounted volume: where it lies, its geometry, its header and trees.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/device_state.h"
#include "base/tree_work_file.h"

namespace tarvo {

inline constexpr std::uint32_t kRootParentId = 1;
inline constexpr std::uint32_t kRootDirId = 2;

// The one current directory of the mounted volume.
struct CurrentDirectory {
  std::uint32_t currentDirId = kRootDirId;
  std::uint32_t parentDirId = kRootParentId;
  std::string currentDirName;  // the name and one blank, or "Root  "
};

inline TreeWorkFile CatalogWorkFile() {
  TreeWorkFile tree;
  tree.isCatalog = true;
  return tree;
}

// The volume check's verdict for write commands (ui/write_guard.h): the
// damage it found, each with the structures it concerns (Structure bits,
// maintenance/check_problems.h) and its text (Macintosh characters).
struct WriteVerdict {
  struct Damage {
    unsigned structures = 0;
    std::string text;
  };
  std::vector<Damage> damage;
};

struct VolumeState {
  AdapterKind adapterKind = AdapterKind::kNone;
  std::uint8_t targetId = kNoDevice;  // kNoDevice: no usable volume
  std::uint16_t sectorSize = 512;     // physical sector size, 512 or 1024
  std::uint16_t transferSectors = 64;
  std::uint32_t deviceSectors = 0;
  // The medium's 512-byte sectors as its capacity reported them (deviceSectors
  // may hold the last sector's number instead); 0 when not asked.
  std::uint32_t mediumSectors = 0;
  // Before the mount: first sector of the HFS partition; after it: first
  // sector of allocation block 0. 0 = no volume; negative = MS-DOS medium.
  std::int64_t volumeOrigin = 0;
  // Sectors of the partition that holds the volume, from its first sector
  // (2 before `mdbSector`), as the partition map gives them; 0 when no map
  // entry bounds the volume (a bare medium, a header found by search).
  std::uint32_t partitionSectors = 0;
  std::uint32_t mdbSector = 0;
  std::uint32_t allocBlockSize = 0;
  std::uint32_t sectorsPerBlock = 0;
  std::uint16_t bitmapSectors = 0;
  std::vector<std::uint8_t> bitmap;  // empty: not loaded
  std::vector<std::uint8_t> bitmapOnMedium;  // the bitmap as loaded: blocks freed since are not handed out
  std::uint32_t bitmapWindowStart = 0;
  std::uint16_t bitmapHeldSectors = 0;
  std::array<std::uint8_t, 512> mdb{};  // disk byte order
  TreeWorkFile catalog = CatalogWorkFile();
  TreeWorkFile extents;
  CurrentDirectory current;
  // Taken before the first write of a mount, kept while this program
  // changes the volume; reading the volume header (a mount) drops it.
  std::optional<WriteVerdict> writeVerdict;
};

}  // namespace tarvo
