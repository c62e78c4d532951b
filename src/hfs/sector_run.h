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

// Whether every request of a run reached the medium.
enum class SectorRunResult { kMoved, kFailed };

// Reads data.size() / 512 sectors from firstSector on into data. After a
// failed request the rest is still read; the failed part of data is zeroed.
SectorRunResult ReadSectorRun(Engine& ctx, std::uint32_t firstSector, Bytes data);
// Writes data.size() / 512 sectors from firstSector on; the rest is still
// written after a failed request.
SectorRunResult WriteSectorRun(Engine& ctx, std::uint32_t firstSector, ConstBytes data);

}  // namespace tarvo
