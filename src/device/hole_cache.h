// The hole of a sparse file found last, so that reads and writes over it
// need not ask the file system again.
//
// Where the holes are is asked once per hole: the answer holds until a
// write lands in it. A file system that cannot tell answers "data".
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarvo {

class HoleCache {
 public:
  // Whether [offset, offset + length) lies in the hole already known.
  bool Covers(std::uint64_t offset, std::size_t length) const;
  // Whether the range lies in a hole of the file: it reads as zeros and
  // holds no data. The hole found is remembered.
  bool Find(int fd, std::uint64_t offset, std::size_t length);
  // A write of the range is sent: the hole keeps the larger of the parts
  // before and after it, so writes that fill a blank image from its start
  // keep the rest of it known as a hole.
  void Shorten(std::uint64_t offset, std::size_t length);

 private:
  std::uint64_t start_ = 0;
  std::uint64_t end_ = 0;
};

}  // namespace tarvo
