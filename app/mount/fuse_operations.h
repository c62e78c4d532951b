// The FUSE operations of tarvo-mount, over one VolumeSession.
//
// FUSE runs its single-threaded loop (the engine is not thread-safe); one
// more thread writes what waits once the mount has been idle for a second,
// or changes have waited for five.
// The two never run at once: every operation holds the session's lock.
// The unmount writes every written file and change before it returns.
#pragma once

#include <fuse.h>

namespace tarvo {

class VolumeSession;

// The operations table; the session is handed to fuse_main as its private
// data and must outlive the loop.
const fuse_operations& MountOperations();

}  // namespace tarvo
