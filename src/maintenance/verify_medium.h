// Verifying every block of a medium with the drive's own VERIFY command.
//
// The last block L comes from one READ CAPACITY (0 when it fails: nothing
// is verified). Blocks 1 to L (block 0 is not verified) go in groups of
// 4096, counted in the drive's own blocks, with the progress bar after each
// group and the Esc poll before it. A group that completes with an error
// asks "Error in block of N sectors beginning at B. Do you want to
// continue?" (Yes, No, Cancel): Yes goes on with the next group (the failed
// one is not retried), No and Cancel end the run. Errors are not logged.
#pragma once

#include <cstdint>

namespace tarvo {

struct Engine;

inline constexpr std::uint32_t kVerifyGroupBlocks = 4096;

// What a verification came to: the blocks verified (those of groups with
// an error included), the groups that completed with an error, and whether
// it ended before the last block (an abort, or No or Cancel to an error).
struct VerifyResult {
  std::uint32_t blocks = 0;
  std::uint32_t failedGroups = 0;
  bool stopped = false;
};

VerifyResult VerifyMedium(Engine& ctx, std::uint8_t adapter, std::uint8_t target);

}  // namespace tarvo
