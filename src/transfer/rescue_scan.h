// Rescue scanning: every sector of the medium is read, and every 512-byte
// sector that looks like a catalog leaf node gives up its file records,
// each copied to the PC current directory with only the extents its record
// holds. Neither the catalog tree nor the extents tree is used, so a volume
// whose catalog index is gone can still be saved; the allocation geometry
// (volumeOrigin, sectorsPerBlock, allocBlockSize) comes from the volume
// header or from "Volume Scanning Parameters".
//
// A sector is a catalog leaf when everything in it makes sense: ndType FF,
// ndNHeight 1, a record count that is not 0 and whose offsets fit, the
// offsets even and increasing from 14 on, below the offset table, and each
// record a catalog key of sane length followed by a whole directory, file
// or thread record. Every file record of such a leaf is taken, in order,
// however many records it holds; folders and threads are passed over
// wherever they stand, and so is a file that claims a fork longer than the
// whole medium (when its size is known).
//
// What is copied follows the copy mode the dialog set:
//   data fork      the data fork, or the resource fork when the data fork's
//                  first extent starts at block 0 (is not in use);
//   resource fork  the resource fork, or the data fork likewise;
//   MacBinary      both forks behind a header that carries the record's
//                  name, type, creator, lengths and dates.
// A file with neither fork in use stays empty. A fork longer than the three
// extents of its record is copied to the end of the third extent (padded
// with zeros inside a MacBinary file, whose header keeps the full length),
// and an open log says so. The PC file gets the record's modification date.
// Each file found counts, also when found twice (an old copy of a node): the
// second copy gets a numbered name.
//
// The medium is read in requests of transferSectors sectors from sector 0
// up to deviceSectors (asked of the drive when unknown), never beyond it. A
// request that fails is read again sector by sector; sectors that still
// fail are skipped without a message. A confirmed Esc ends the scan; files
// already written stay.
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
