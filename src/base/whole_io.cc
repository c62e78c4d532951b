#include "base/whole_io.h"

#include <unistd.h>

#include <cerrno>

namespace tarvo {

namespace {

enum class Direction { kRead, kWrite };

// call(moved) makes one system call for the bytes from `moved` on.
template <typename Call>
IoRun Repeat(std::size_t length, Direction direction, Call call) {
  IoRun run;
  while (run.moved < length) {
    const ssize_t n = call(run.moved);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0 && direction == Direction::kRead) {
      run.end = IoEnd::kEndOfFile;
      return run;
    }
    if (n <= 0) {
      if (n == 0) errno = EIO;
      run.end = IoEnd::kFailed;
      return run;
    }
    run.moved += static_cast<std::size_t>(n);
  }
  return run;
}

off_t At(std::uint64_t offset, std::size_t moved) { return static_cast<off_t>(offset + moved); }

}  // namespace

IoRun ReadWhole(int fd, Bytes out) {
  return Repeat(out.size(), Direction::kRead,
                [&](std::size_t moved) { return ::read(fd, out.data() + moved, out.size() - moved); });
}

IoRun ReadWholeAt(int fd, Bytes out, std::uint64_t offset) {
  return Repeat(out.size(), Direction::kRead, [&](std::size_t moved) {
    return ::pread(fd, out.data() + moved, out.size() - moved, At(offset, moved));
  });
}

IoRun WriteWhole(int fd, ConstBytes bytes) {
  return Repeat(bytes.size(), Direction::kWrite,
                [&](std::size_t moved) { return ::write(fd, bytes.data() + moved, bytes.size() - moved); });
}

IoRun WriteWholeAt(int fd, ConstBytes bytes, std::uint64_t offset) {
  return Repeat(bytes.size(), Direction::kWrite, [&](std::size_t moved) {
    return ::pwrite(fd, bytes.data() + moved, bytes.size() - moved, At(offset, moved));
  });
}

}  // namespace tarvo
