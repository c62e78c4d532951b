// Finding a volume header by brute force on a medium whose partition map is
// gone: the first sectors are scanned for the "BD" signature.
//
// The scan reads transferSectors sectors at a time from sector 0 and goes on
// while fewer than 2001 sectors have been examined (sectors 0..2047 with
// 64-sector chunks), never past the end of a medium of known size. Any
// sector that begins with "BD" is taken, without the checks of the mount;
// the first one ends the scan. A chunk that cannot be read is skipped.
//
// Units: sectors are 512-byte logical sectors on every medium, so
// `sectorsPerBlock` is the allocation block size / 512.
#pragma once

#include <cstdint>

namespace tarvo {

struct Engine;

// The sector of allocation block 0 of the volume found, or 0 when none was
// found (also for a signature in sector 0, or a header whose geometry puts
// the volume before the medium or gives allocation blocks under 512 bytes).
// On a find: `mdb` holds the header, and `mdbSector`, `volumeOrigin`,
// `bitmapSectors`, `allocBlockSize` and `sectorsPerBlock` are set, and
// `partitionSectors` is 0 (the volume's end is taken from its header); an
// unknown `deviceSectors` becomes the end of the volume.
std::uint32_t BruteForceSearch(Engine& ctx);

}  // namespace tarvo
