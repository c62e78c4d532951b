// The driver partition's content written by a format: a Macintosh SCSI
// driver image of our own that does nothing.
//
// Cartridges formatted here are data volumes. The image is a minimal
// driver whose entry point returns at once with an error (on the 68000:
// MOVEQ #-1,D0 then RTS, the bytes 70 FF 4E 75 at offset 0), so that a
// Macintosh that loads it carries on safely; such a Macintosh needs its
// own drive software to use the cartridge. All other bytes are zero except
// the medium's sector count, stored big-endian at byte 24.
#pragma once

#include <cstdint>
#include <vector>

namespace tarvo {

inline constexpr std::size_t kDriverImageSize = 41472;  // 81 sectors
inline constexpr std::size_t kDriverSectorCountOffset = 24;

std::vector<std::uint8_t> DriverImage(std::uint32_t deviceSectors);

}  // namespace tarvo
