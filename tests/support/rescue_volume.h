// An hfsutils volume for the rescue tests: 40 files in the root (a catalog
// of several leaves under an index node), each also extracted with hcopy
// as the reference, and damaged copies of it.
#pragma once

#include <string>

#include "support/scratch_files.h"

namespace tarvo::testing {

inline constexpr int kRescueFiles = 40;

std::string RescueFileName(int i);  // "file100.bin" ...

class RescueVolume {
 public:
  // Builds the image and the references; false when hfsutils failed.
  bool Build();
  const std::string& image() const { return image_; }
  // The file as hcopy extracted it before any damage.
  std::string Reference(int i) const { return dir_.Path("ref/" + RescueFileName(i)); }

  // A copy of the volume at `path` whose catalog header node and index nodes
  // are zeros; returns the number of non-empty index nodes destroyed. With
  // `header` the volume header and its alternate copy are zeros as well.
  int Damage(const std::string& path, bool header = false) const;

 private:
  ScratchDir dir_;
  std::string image_;
};

}  // namespace tarvo::testing
