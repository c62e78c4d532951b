// The built-in demo cartridge (--demo): a 44 MB image, "Tarvo Demo", that
// Tarvo makes on first use from the sample files shipped with it and keeps
// in the user's cache folder; later runs use it as it is.
//
// The image is built under a temporary name and checked; only a complete,
// sound image, written to the disk, gets its final name, so an interrupted
// run never leaves half a demo behind (a failure or a signal removes the
// temporary; the next run removes one a killed run left). The samples are
// looked for installed beside the program, in its source tree and under the
// prefix it was built for.
#pragma once

#include <filesystem>
#include <string>

namespace tarvo {

std::filesystem::path DemoCartridgePath();
// The first samples folder that exists; empty when none does.
std::filesystem::path DemoSamplesDirectory();

// Makes the demo cartridge when it does not exist yet and sets `path` to
// it. Returns "" or what went wrong (nothing is left behind then).
std::string EnsureDemoCartridge(std::string& path);

}  // namespace tarvo
