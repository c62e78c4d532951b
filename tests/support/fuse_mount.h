// tarvo-mount run by a test: an image mounted in the foreground at a
// scratch mount point, as a child process, and unmounted (fusermount3 -u)
// when the object goes, so that no mount outlives the test.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/cli_process.h"

namespace tarvo::testing {

// Why this machine cannot mount FUSE file systems (no /dev/fuse, no
// fusermount3, no tarvo-mount built), or "" when it can.
std::string FuseUnavailable();

class FuseMount {
 public:
  // Mounts `image` at `mountPoint` (made when missing) with the options
  // given before them; waits until the mount is there or the program ended.
  FuseMount(const std::string& image, const std::string& mountPoint, const std::vector<std::string>& options = {});
  ~FuseMount();
  FuseMount(const FuseMount&) = delete;
  FuseMount& operator=(const FuseMount&) = delete;

  bool mounted() const { return mounted_; }
  // A path inside the mount.
  std::string Path(const std::string& relative) const { return mountPoint_ + "/" + relative; }
  // Unmounts and waits for the program's end: its exit and what it said.
  CliResult Unmount();
  // Ends the program with SIGKILL, without an unmount of its own, and
  // releases the mount point it leaves.
  void Kill();
  // What the program said, when it ended before the mount was there.
  CliResult Ended();

 private:
  std::string mountPoint_;
  std::unique_ptr<CliSession> process_;
  bool mounted_ = false;
};

// Whether `path` (absolute and canonical) is a mount point now.
bool IsMountPoint(const std::string& path);

}  // namespace tarvo::testing
