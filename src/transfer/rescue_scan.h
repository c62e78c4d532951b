// Rescue scanning: every sector of the medium is read, and every 512-byte
// sector that looks like a catalog leaf node gives up its file records,
// each copied to the PC current directory (in the copy mode, as the user
// help tells) with only the extents its record holds. Neither tree is used,
// so a volume whose catalog index is gone can still be saved; the
// allocation geometry comes from the volume header or from "Volume
// Scanning Parameters".
//
// A sector counts as a leaf only when everything in it makes sense (node
// kind and height, record offsets, and each record whole), so random data
// is not taken for files. The medium is read from sector 0 up to its size,
// never beyond; a failing request is read again sector by sector and
// sectors that still fail are skipped silently. A confirmed Esc ends the
// scan; files already written stay.
#pragma once

#include <cstdint>
#include <string>

#include "base/big_endian.h"

namespace tarvo {

struct Engine;

// The value fields of "Rescue Scanning" that the scan keeps up to date.
struct RescueFields {
  std::string sector;  // "%05lu", the sector being examined
  std::string file;    // the name being written, Windows character set
  std::string number;  // files rescued in this scan
  std::string status;  // the dialog's status line
};

// Returns the number of files rescued.
std::uint32_t ScanMedium(Engine& ctx, RescueFields& fields);

bool LooksLikeCatalogLeaf(ConstBytes sector);
// The number of files rescued from the 512-byte sector; 0 when it is not a
// catalog leaf.
std::uint32_t ExamineSector(Engine& ctx, ConstBytes sector, RescueFields& fields);
// Copies the file records of one leaf node to the PC; returns their number.
std::uint32_t RescueNode(Engine& ctx, ConstBytes node, RescueFields& fields);

}  // namespace tarvo
