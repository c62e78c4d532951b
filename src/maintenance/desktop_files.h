// The four Finder files of an empty desktop that a format puts in the root
// of a new volume, all invisible, in the order they are created:
//
//   "Desktop"     FNDR/ERIK  resource fork: one 'STR ' resource (ID 0, no
//                            name) holding "Finder 1.0" (321 bytes)
//   "Desktop DB"  BTFL/DMGR  data fork: the header node of an empty B-tree
//                            of 512-byte nodes, key length 37 (512 bytes)
//   "Desktop DF"  DTFL/DMGR  data fork: 512 zero bytes
//   "Icon"        blanks     resource fork: the volume's icon family
//                            (cartridge_icon.h; 2670 bytes)
//
// The Desktop DB file holds one node, and its header says so (one node, none
// free), so that no reader looks for nodes beyond the file's end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "transfer/write_file.h"

namespace tarvo {

struct DesktopFile {
  std::string name;         // Macintosh characters
  std::string typeCreator;  // eight characters
  ForkChoice fork = ForkChoice::kData;
  std::vector<std::uint8_t> content;
};

// Finder flag byte of the Desktop files: invisible (Finder flags 0x4000).
inline constexpr std::uint8_t kInvisibleFlagByte = 0x40;

std::vector<DesktopFile> DesktopFiles();

}  // namespace tarvo
