#include "device/hole_cache.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace tarvo {

bool HoleCache::Covers(std::uint64_t offset, std::size_t length) const {
  return offset >= start_ && offset + length <= end_;
}

bool HoleCache::Find(int fd, std::uint64_t offset, std::size_t length) {
  if (Covers(offset, length)) return true;
  const off_t data = ::lseek(fd, static_cast<off_t>(offset), SEEK_DATA);
  if (data < 0 && errno != ENXIO) return false;
  // ENXIO: no data from offset to the end of the file.
  start_ = offset;
  end_ = data < 0 ? UINT64_MAX : static_cast<std::uint64_t>(data);
  return offset + length <= end_;
}

void HoleCache::Shorten(std::uint64_t offset, std::size_t length) {
  if (offset >= end_ || offset + length <= start_) return;
  const std::uint64_t before = offset > start_ ? offset - start_ : 0;
  const std::uint64_t after = end_ > offset + length ? end_ - (offset + length) : 0;
  if (after > before) {
    start_ = offset + length;
  } else {
    end_ = std::max(offset, start_);
  }
}

}  // namespace tarvo
