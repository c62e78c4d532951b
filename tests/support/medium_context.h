// A context whose drive holds a given medium: the scripted user interface,
// an image file on the image bus at adapter 0, target 0, and a fault bus in
// front of it that records every request (and can fail reads).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/fault_bus.h"
#include "device/image_bus.h"
#include "support/scratch_files.h"
#include "ui/context.h"
#include "support/scripted_ui.h"

namespace tarvo::testing {

class MediumContext {
 public:
  MediumContext() { ctx.ui = &ui; }
  ~MediumContext();  // the work files of a mounted volume go with it
  MediumContext(const MediumContext&) = delete;
  MediumContext& operator=(const MediumContext&) = delete;

  // Writes `bytes` as a fresh image and puts it in the drive, as drive
  // selection leaves it: its sector size and entry point, capacity unknown.
  // Returns its path.
  std::string Insert(const std::vector<std::uint8_t>& bytes, std::uint16_t blockSize = 512);
  // Creates a blank (sparse) cartridge image of 44, 88, 105, 200 or 270 MB
  // and puts it in the drive, writable; returns its path.
  std::string InsertBlank(int megabytes);

  struct Range {
    std::uint32_t first, count;  // in the drive's blocks
  };
  // The READ(6) and READ(10) requests sent to the drive since the last Insert.
  std::vector<Range> Reads() const;

  ScriptedUi ui;
  Context ctx;
  std::unique_ptr<FaultBus> faults;

 private:
  void Attach(const ImageSpec& image);

  ScratchDir dir_;
  std::unique_ptr<ImageBus> bus_;
  int images_ = 0;
};

}  // namespace tarvo::testing
