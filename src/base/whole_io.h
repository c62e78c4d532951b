// Reads and writes of a whole run of bytes through a file descriptor.
//
// A signal (EINTR) or a short transfer only pauses the run: it goes on
// from where it stopped until every byte has moved, the file ends (reads)
// or a call fails.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/big_endian.h"

namespace tarvo {

// kFailed leaves errno telling why; a write that moves nothing fails with
// EIO. kEndOfFile: a read found no more bytes.
enum class IoEnd { kWhole, kEndOfFile, kFailed };

struct IoRun {
  IoEnd end = IoEnd::kWhole;
  std::size_t moved = 0;  // bytes moved before the end
};

IoRun ReadWhole(int fd, Bytes out);
IoRun ReadWholeAt(int fd, Bytes out, std::uint64_t offset);
IoRun WriteWhole(int fd, ConstBytes bytes);
IoRun WriteWholeAt(int fd, ConstBytes bytes, std::uint64_t offset);

}  // namespace tarvo
