// The write-protection probe run before every command that changes the
// medium: sector 0 is read and written back unchanged; a medium that
// refuses the write is protected.
#pragma once

#include <cstdint>

namespace tarvo {

struct Engine;

inline constexpr std::int32_t kWriteProtected = 3;

// kWriteProtected when the medium of (hostAdapterId, target) refuses the
// write, 0 otherwise (an unreadable sector 0 counts as not protected).
// Each transfer has the sector layer's 20 attempts.
std::int32_t WriteProtectProbe(Engine& ctx, std::uint8_t target);

}  // namespace tarvo
