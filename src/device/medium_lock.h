// Locks between programs on a medium's open descriptor (an image file or a
// device node), so that nobody writes a medium another program reads.
//
// Every program that uses a medium holds it shared; one that writes holds
// it exclusive for the span of its update, and only while no other program
// holds it at all. A program that mounted a volume under its shared lock so
// never finds the volume changed behind its back.
//
// The locks are open file description locks (fcntl F_OFD_SETLK) over the
// whole file: like flock(2) locks they belong to the open descriptor and go
// with it when it is closed or the process ends, but unlike flock(2) a
// change from shared to exclusive or back is atomic: a refused claim keeps
// the shared lock, and no other writer can slip in while a lock changes
// kind. They are the locks hfsutils takes too, so it mounts a volume held
// shared read-only, and one held exclusive not at all. A file system that
// cannot lock leaves the medium unlocked, used as it always was.
#pragma once

#include <chrono>

namespace tarvo {

enum class MediumLockResult {
  kHeld,   // the lock is held (or the file system has none)
  kInUse,  // another program holds the medium in a way that excludes it
};

// Takes or keeps the shared lock; an exclusive lock of ours becomes shared.
// While another program holds the medium exclusive, tries again until
// `wait` has passed.
MediumLockResult LockShared(int fd, std::chrono::milliseconds wait);

// Takes the exclusive lock at once, or answers kInUse while another
// program holds the medium in either way; the lock held before then stays.
MediumLockResult LockExclusive(int fd);

}  // namespace tarvo
