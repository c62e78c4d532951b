// A volume to browse, built once per test suite with hfsutils (40 MB, so
// allocation blocks hold two sectors):
//   :Sub:                   a folder
//   :Sub:Inner Folder:      a folder whose name has a blank
//   :Sub:Inner Folder:a.txt
//   :Sub:b.txt
//   :Many:                  40 files f00..f39
//   :Caf\x8e:               a folder with a Mac Roman name ("Café")
//   :Top.txt
// Open() mounts it the way the program does (OpenVolume) in a fresh
// context with the scripted user interface.
#pragma once

#include <memory>
#include <string>

#include "support/hfs_volume.h"
#include "support/scratch_files.h"

namespace tarvo::testing {

inline constexpr int kBrowseFiles = 43;    // every file on the volume
inline constexpr int kBrowseFolders = 4;   // every folder but the root
inline constexpr int kManyFiles = 40;

class BrowseVolume {
 public:
  // Builds the image; false when hfsutils failed.
  bool Build();
  const std::string& image() const { return image_; }
  // A mounted volume on the image; nullptr when it could not be opened.
  std::unique_ptr<MountedVolume> Open() const;

 private:
  ScratchDir dir_;
  std::string image_;
};

}  // namespace tarvo::testing
