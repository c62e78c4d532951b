// The write-protection probe run before every command that changes the
// medium: sector 0 is read and written back unchanged; a medium that
// refuses the write is protected.
#pragma once

#include <cstdint>

namespace tarvo {

struct Engine;

enum class WriteProtection { kWritable, kProtected };

// kProtected when the medium of (hostAdapterId, target) refuses the write;
// an unreadable sector 0 counts as writable. Each transfer has the sector
// layer's 20 attempts.
WriteProtection WriteProtectProbe(Engine& ctx, std::uint8_t target);

}  // namespace tarvo
