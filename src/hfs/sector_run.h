// Runs of 512-byte logical sectors between the medium and memory, for the
// engine's own structures (volume header, bitmap).
//
// A run is moved in requests of at most `transferSectors` sectors through
// SectorEntry, each with a scratch buffer large enough for the 1024-byte
// entry point, so callers pass exactly the bytes they hold. A run that
// reaches past sector 2^32 - 1 is refused whole (sector_io.h): no number
// wraps.
#pragma once

#include <cstdint>

#include "base/big_endian.h"

namespace tarvo {

struct Engine;

// Reads data.size() / 512 sectors from firstSector on into data. Returns 0,
// or the status of the first failed request (the rest is still read; a
// failed request leaves its part of data zeroed).
std::uint16_t ReadSectorRun(Engine& ctx, std::uint32_t firstSector, Bytes data);
// Writes data.size() / 512 sectors from firstSector on. Returns 0, or the
// status of the first failed request.
std::uint16_t WriteSectorRun(Engine& ctx, std::uint32_t firstSector, ConstBytes data);

}  // namespace tarvo
