// What the copies of one command came to, in either direction: the files
// copied and the bytes written for them, the files passed over (a missing
// fork, a name that is taken, the user's Cancel) and those that failed.
// The copies add to it; a front end clears it before a command and shows
// it after.
#pragma once

#include <cstdint>

namespace tarvo {

struct CopyTally {
  std::uint32_t files = 0;
  std::uint64_t bytes = 0;
  std::uint32_t skipped = 0;
  std::uint32_t failed = 0;

  bool empty() const { return files == 0 && skipped == 0 && failed == 0; }
};

}  // namespace tarvo
