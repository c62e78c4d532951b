// One fuzz input as the medium in the drive: the bytes go into an in-memory
// file (memfd), which the image bus serves as cartridge drive 0 of adapter
// 0, so every sector read takes the program's own path without a file on
// disk. The context is wired as drive selection leaves it (512-byte
// sectors, the capacity the drive reported) with the scripted user
// interface, which answers every question and dialog by its default.
//
// Work files go to a private temporary folder (TMPDIR), and the PC current
// directory is that folder while the medium is in use. The destructor
// closes the work files and checks that nothing was left behind: a work
// file that outlives the run, or a PC file the target did not remove,
// aborts, as a leak would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "device/image_bus.h"
#include "ui/context.h"
#include "support/scripted_ui.h"

namespace tarvo::fuzz {

class FuzzMedium {
 public:
  // An input that is not a whole number of sectors, or shorter than
  // minimumSectors, is padded with zeros. (A medium of one sector reports
  // last sector 0, which the program reads as an unknown capacity.)
  FuzzMedium(const std::uint8_t* data, std::size_t size, std::size_t minimumSectors = 1);
  ~FuzzMedium();
  FuzzMedium(const FuzzMedium&) = delete;
  FuzzMedium& operator=(const FuzzMedium&) = delete;

  // False when the image bus refused the medium (it cannot happen for a
  // padded, non-empty input; an empty one has no block).
  bool attached() const { return attached_; }
  // Removes the PC files a target wrote into the current directory.
  void RemovePcFiles();

  ScriptedUi ui;
  Context ctx;

 private:
  ImageBus bus_;
  bool attached_ = false;
  std::filesystem::path scratch_;
  std::filesystem::path savedDirectory_;
};

}  // namespace tarvo::fuzz
