// A file's data fork read where a request asks, straight from the volume:
// reading a large file through the mount moves each byte once, without a
// copy of the whole fork on the PC first. The fork's extents (overflow
// records included) are found once, when the reader is made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sys/types.h>
#include <vector>

#include "hfs/allocation.h"

namespace tarvo {

struct Context;
struct CatalogEntry;

class ForkReader {
 public:
  ForkReader(Context& ctx, const CatalogEntry& entry);

  // Up to size bytes from offset (fewer at the fork's end); -EIO when the
  // extents end before the fork does or a sector cannot be read.
  long Read(Context& ctx, char* buffer, std::size_t size, off_t offset);

 private:
  std::vector<BlockExtent> extents_;
  std::uint64_t length_ = 0;
  std::vector<std::uint8_t> sectors_;  // one request's worth, reused
};

}  // namespace tarvo
