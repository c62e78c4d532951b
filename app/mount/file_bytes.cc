#include "file_bytes.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "hfs/work_file.h"
#include "volume_session.h"

namespace tarvo {

namespace {

int NoClose(std::FILE*) { return 0; }
int Close(std::FILE* stream) { return std::fclose(stream); }

}  // namespace

FileBytes::~FileBytes() {
  if (file_ != nullptr) std::fclose(file_);
}

long FileBytes::Read(char* buffer, std::size_t count, std::uint64_t offset) const {
  if (file_ != nullptr) {
    const ssize_t got = ::pread(::fileno(file_), buffer, count, static_cast<off_t>(offset));
    return got < 0 ? -errno : got;
  }
  if (offset >= size_) return 0;
  const auto taken = static_cast<std::size_t>(std::min<std::uint64_t>(count, size_ - offset));
  std::copy_n(memory_.begin() + static_cast<std::ptrdiff_t>(offset), taken, buffer);
  return static_cast<long>(taken);
}

long FileBytes::Write(const char* buffer, std::size_t count, std::uint64_t offset) {
  const std::uint64_t end = offset + count;
  // What one request of the kernel brings stays in memory.
  if (file_ == nullptr && end > kLargestRequest) {
    if (const int spilled = Spill(); spilled != 0) return spilled;
  }
  if (file_ != nullptr) {
    const ssize_t put = ::pwrite(::fileno(file_), buffer, count, static_cast<off_t>(offset));
    if (put < 0) return -errno;
    size_ = std::max<std::uint64_t>(size_, offset + static_cast<std::uint64_t>(put));
    return put;
  }
  if (end > size_) memory_.resize(static_cast<std::size_t>(end));
  std::copy_n(buffer, count, memory_.begin() + static_cast<std::ptrdiff_t>(offset));
  size_ = std::max(size_, end);
  return static_cast<long>(count);
}

int FileBytes::Resize(std::uint64_t size) {
  if (file_ == nullptr && size > kLargestRequest) {
    if (const int spilled = Spill(); spilled != 0) return spilled;
  }
  if (file_ != nullptr) {
    if (::ftruncate(::fileno(file_), static_cast<off_t>(size)) != 0) return -errno;
  } else {
    memory_.resize(static_cast<std::size_t>(size));
  }
  size_ = size;
  return 0;
}

ContentStream FileBytes::Stream() {
  if (size_ == 0) return {nullptr, NoClose};
  if (file_ != nullptr) {
    // What was copied in through the stream is in the file before it is read.
    if (std::fflush(file_) != 0) return {nullptr, NoClose};
    std::rewind(file_);
    return {file_, NoClose};
  }
  return {::fmemopen(memory_.data(), memory_.size(), "rb"), Close};
}

int FileBytes::Spill() {
  std::FILE* file = MakeTempFile(ctx_, "MNT", size_);
  if (size_ > 0 && ::pwrite(::fileno(file), memory_.data(), memory_.size(), 0) != static_cast<ssize_t>(size_)) {
    std::fclose(file);
    return -EIO;
  }
  file_ = file;
  std::vector<char>().swap(memory_);
  return 0;
}

}  // namespace tarvo
