// A loop device over an image file, for the life of the object: the block
// device tests attach as a medium. Making one needs the superuser (losetup);
// where it cannot be made, `path` is empty and `skipReason` says why.
#pragma once

#include <string>

namespace tarvo::testing {

class LoopDevice {
 public:
  // `options` go to losetup as they are ("-r", "-P", "--sector-size 4096").
  explicit LoopDevice(const std::string& image, const std::string& options = "");
  ~LoopDevice();
  LoopDevice(const LoopDevice&) = delete;
  LoopDevice& operator=(const LoopDevice&) = delete;

  std::string path;
  std::string skipReason;
};

}  // namespace tarvo::testing
