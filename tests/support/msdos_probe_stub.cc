// Temporary stand-in for the MS-DOS probe until the volume-location code
// provides it: every medium without a Macintosh header is "not MS-DOS".
// Remove when src/volume/msdos_probe.cc is in the core.
#include <cstdint>

namespace tarvo {
struct Context;
std::int32_t MsDosProbe(Context&) { return 0; }
}  // namespace tarvo
