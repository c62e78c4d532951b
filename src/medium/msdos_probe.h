// Recognising an MS-DOS medium when no Macintosh volume header was found.
#pragma once

#include <cstdint>

namespace tarvo {

struct Engine;

// Reads physical sector 0 and tells whether it is an MS-DOS boot sector
// (the bytes 55 AA at offset 510). 0: not MS-DOS. Negative: MS-DOS; a boot
// sector that starts with a short jump (EB) gives minus its byte 29, or -1
// when that byte is 0, and any other such sector (a master boot record) -2.
std::int32_t MsDosProbe(Engine& ctx);

}  // namespace tarvo
