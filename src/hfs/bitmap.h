// The volume bitmap and fork addressing.
//
// The bitmap is `bitmapSectors` sectors from the sector after the MDB; bit
// b (most significant bit of byte b / 8 first) is set when allocation block
// b is in use. While loaded it is held whole in `VolumeState::bitmap`.
#pragma once

#include <cstdint>

#include "base/big_endian.h"
#include "hfs/sector_run.h"

namespace tarvo {

struct Engine;

// Reads the whole bitmap into `bitmap` ((bitmapSectors + 1) * 512 bytes,
// bitmapWindowStart 0, bitmapHeldSectors = bitmapSectors) and a copy into
// `bitmapOnMedium`, read or not.
SectorRunResult LoadBitmap(Engine& ctx);

// Where 512-byte sector forkSector of a fork lies on the medium.
struct ForkSector {
  std::uint32_t sector = 0;          // 0: beyond the fork's extents
  std::uint32_t sectorsInExtent = 0;  // sectors of the extent from there on
};

// Follows the fork's first extent record (12 bytes) and, beyond it, the
// overflow records of the same fork (forkType 0x00 data, 0xFF resource) of
// fileId in the extents tree (WalkForkExtents, extent_record.h).
ForkSector ForkSectorToMedium(Engine& ctx, std::uint32_t forkSector, ConstBytes extents, std::uint32_t fileId,
                              std::uint8_t forkType = 0x00);

}  // namespace tarvo
