#include "support/loop_device.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>

#include "support/hfs_volume.h"

namespace tarvo::testing {

LoopDevice::LoopDevice(const std::string& image, const std::string& options) {
  if (::geteuid() != 0) {
    skipReason = "loop devices need the superuser (losetup)";
    return;
  }
  const std::string command = "losetup -f --show " + options + " " + ShellQuote(image) + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    skipReason = "losetup cannot be run";
    return;
  }
  std::string output;
  std::array<char, 256> chunk{};
  while (std::fgets(chunk.data(), static_cast<int>(chunk.size()), pipe) != nullptr) output += chunk.data();
  const int status = ::pclose(pipe);
  while (!output.empty() && (output.back() == '\n' || output.back() == ' ')) output.pop_back();
  if (status == 0 && output.rfind("/dev/", 0) == 0) {
    path = output;
  } else {
    skipReason = "this machine gives no loop device: " + output;
  }
}

LoopDevice::~LoopDevice() {
  if (path.empty()) return;
  // A device that will not go stays attached to a file already removed: nothing to report to.
  [[maybe_unused]] const int status = std::system(("losetup -d " + ShellQuote(path)).c_str());
}

}  // namespace tarvo::testing
