// Blank cartridge images, made for a new medium.
#pragma once

#include <string>

namespace tarvo {

// The largest blank image made, in MB.
inline constexpr int kMostImageMegabytes = 2048;

// Creates a zero-filled (sparse) image: of a blank cartridge for the five
// cartridge sizes, else of megabytes * 2048 sectors (1 to
// kMostImageMegabytes). Refuses an existing file, which stays untouched,
// and any other size. Returns "" or the reason for the failure.
std::string CreateBlankImage(const std::string& path, int megabytes);

}  // namespace tarvo
