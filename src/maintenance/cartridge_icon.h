// The custom icon of a formatted volume: a cartridge of our own design, as
// the icon family a Macintosh Finder shows for the volume (resource ID
// -16455): 'ICN#' (32 x 32, one bit, with its mask), 'icl8' and 'icl4'
// (32 x 32 in 256 and 16 colours), and the 16 x 16 'ics#', 'ics8' and
// 'ics4'.
#pragma once

#include <cstdint>
#include <vector>

#include "maintenance/resource_file.h"

namespace tarvo {

inline constexpr std::int16_t kCustomIconId = -16455;

// The six resources in the order above.
std::vector<Resource> CartridgeIconFamily();

}  // namespace tarvo
