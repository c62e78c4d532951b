// The content of a file of the mount while it is being written: in memory
// while it fits one request of the kernel, so that a copy of many small
// files makes no file on the PC for each; in a temporary file (removed at
// once) when it grows past that, or when it is a fork copied from the
// volume.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

namespace tarvo {

struct Engine;

// The content read from its start; closed when it goes if it was opened
// for the reading.
using ContentStream = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

class FileBytes {
 public:
  // Empty, in memory.
  explicit FileBytes(Engine& ctx) : ctx_(ctx) {}
  // The temporary file `file`, which holds `size` bytes.
  FileBytes(Engine& ctx, std::FILE* file, std::uint64_t size) : ctx_(ctx), file_(file), size_(size) {}
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;
  ~FileBytes();

  std::uint64_t size() const { return size_; }
  // Each gives a byte count (0 past the end), or a negated errno. A gap
  // left before a write reads as zeros.
  long Read(char* buffer, std::size_t count, std::uint64_t offset) const;
  long Write(const char* buffer, std::size_t count, std::uint64_t offset);
  // 0, or a negated errno.
  int Resize(std::uint64_t size);
  // The whole content from its start; nullptr when it is empty or cannot
  // be read.
  ContentStream Stream();

 private:
  // Moves the content into a temporary file.
  int Spill();

  Engine& ctx_;
  std::vector<char> memory_;  // the content while there is no file
  std::FILE* file_ = nullptr;
  std::uint64_t size_ = 0;
};

}  // namespace tarvo
