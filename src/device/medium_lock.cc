#include "device/medium_lock.h"

#include <fcntl.h>

#include <cerrno>
#include <thread>

namespace tarvo {

namespace {

constexpr std::chrono::milliseconds kRetryPause{20};

// One attempt at a lock of the kind (F_RDLCK, F_WRLCK) on the whole file.
MediumLockResult TryLock(int fd, short kind) {
  struct flock lock {};
  lock.l_type = kind;
  lock.l_whence = SEEK_SET;  // start 0 and length 0: the whole file, however long
  if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) return MediumLockResult::kHeld;
  return errno == EAGAIN || errno == EACCES ? MediumLockResult::kInUse : MediumLockResult::kHeld;
}

}  // namespace

MediumLockResult LockShared(int fd, std::chrono::milliseconds wait) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (TryLock(fd, F_RDLCK) == MediumLockResult::kHeld) return MediumLockResult::kHeld;
    if (std::chrono::steady_clock::now() >= deadline) return MediumLockResult::kInUse;
    std::this_thread::sleep_for(kRetryPause);
  }
}

MediumLockResult LockExclusive(int fd) { return TryLock(fd, F_WRLCK); }

}  // namespace tarvo
