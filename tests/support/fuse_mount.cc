#include "support/fuse_mount.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/hfs_volume.h"

namespace tarvo::testing {

namespace {

std::string TarvoMountPath() {
#ifdef TARVO_MOUNT_PATH
  return TARVO_MOUNT_PATH;
#else
  return "";
#endif
}

void ReleaseMountPoint(const std::string& mountPoint) {
  if (!IsMountPoint(mountPoint)) return;
  const std::string quiet = " >/dev/null 2>&1";
  if (std::system(("fusermount3 -u " + ShellQuote(mountPoint) + quiet).c_str()) != 0) {
    std::system(("fusermount3 -uz " + ShellQuote(mountPoint) + quiet).c_str());
  }
}

}  // namespace

std::string FuseUnavailable() {
  if (TarvoMountPath().empty()) return "tarvo-mount was not built (libfuse3 missing)";
  if (::access("/dev/fuse", R_OK | W_OK) != 0) return "/dev/fuse is missing or not usable";
  if (std::system("command -v fusermount3 >/dev/null 2>&1") != 0) return "fusermount3 is not installed";
  return "";
}

bool IsMountPoint(const std::string& path) {
  // Not made canonical: a mount whose program died answers no question.
  const std::string& wanted = path;
  std::ifstream table("/proc/self/mountinfo");
  for (std::string line; std::getline(table, line);) {
    std::istringstream fields(line);
    std::string id, parent, device, root, point;
    fields >> id >> parent >> device >> root >> point;
    if (point == wanted) return true;
  }
  return false;
}

FuseMount::FuseMount(const std::string& image, const std::string& mountPoint, const std::vector<std::string>& options)
    : mountPoint_(std::filesystem::weakly_canonical(mountPoint).string()) {
  std::filesystem::create_directories(mountPoint_);
  CliRun run;
  run.program = TarvoMountPath();
  run.args = options;
  run.args.insert(run.args.end(), {"-f", image, mountPoint_});
  run.timeLimitSeconds = 300;
  process_ = std::make_unique<CliSession>(run);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline && process_->Running()) {
    if (IsMountPoint(mountPoint_)) {
      mounted_ = true;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

FuseMount::~FuseMount() {
  if (process_->Running()) Unmount();
  ReleaseMountPoint(mountPoint_);
}

CliResult FuseMount::Unmount() {
  ReleaseMountPoint(mountPoint_);
  mounted_ = false;
  return process_->Finish();
}

void FuseMount::Kill() {
  process_->Signal(SIGKILL);
  process_->Finish();
  ReleaseMountPoint(mountPoint_);
  mounted_ = false;
}

CliResult FuseMount::Ended() { return process_->Finish(); }

}  // namespace tarvo::testing
