// A small hfsutils volume mounted for writing, with the checks the tests
// of the file-level edits run after every change, and hfsutils (run as a
// black box) reading a copy of the image back.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "support/hfs_volume.h"
#include "support/scratch_files.h"

namespace tarvo::testing {

// The volume is mounted when first used, so that a test that only runs
// other programs on the image (tarvo-cli, hfsutils) leaves it to them: a
// mounted volume holds its image shared (medium_lock.h).
class EditVolume {
 public:
  // Formats a volume of `kilobytes` (hformat), to be mounted for writing.
  explicit EditVolume(int kilobytes = 1024, const std::string& label = "Edits");
  // Mounts the image again (after a flush, or read-only as a protected medium).
  void Remount(bool readOnly = false);
  Context& ctx() { return Mounted().ctx; }
  ScriptedUi& ui() { return Mounted().ui; }
  const std::string& image() const { return image_; }
  std::string Path(const std::string& name) const { return dir_.Path(name); }

  // What the volume check (CheckVolume) finds, one line each; empty when
  // the volume is sound.
  std::vector<std::string> Problems();

  // hfsutils on a copy of the image: every ":" path (folders end in ':'),
  // and one file extracted.
  std::set<std::string> HfsutilsTree();
  ExtractedFile HfsutilsFile(const std::string& macPath);
  // Runs hfsutils commands on the image itself (not a copy). The volume is
  // put aside first, as another program's writes need; it is mounted anew
  // when next used.
  bool HfsutilsWrite(const std::vector<std::string>& commands);

 private:
  MountedVolume& Mounted();

  ScratchDir dir_;
  std::string image_;
  std::unique_ptr<MountedVolume> volume_;
};

}  // namespace tarvo::testing
