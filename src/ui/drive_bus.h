// The drives of a run: the image bus (adapter 0) with the images the
// start-up options attach or create, and, with --scsi, the machine's SCSI
// hosts as adapters 1, 2, ...
#pragma once

#include <memory>
#include <string>

#include "device/image_bus.h"
#include "device/multi_bus.h"
#include "device/sg_bus.h"
#include "ui/startup_options.h"

namespace tarvo {

class DriveBus {
 public:
  // Attaches the demo cartridge of --demo first (making it when needed),
  // creates the images of --create, then attaches those and the --image
  // ones in the order given. Returns "" or what went wrong.
  std::string Assemble(const StartupOptions& options);
  ScsiManager& manager() { return multi_; }
  // The drive holds an image --create has just made (blank, not formatted).
  bool MadeBlank(std::uint8_t adapter, std::uint8_t target) const;

 private:
  ImageBus images_;
  std::size_t firstMade_ = 0, madeCount_ = 0;  // targets on the image bus
  std::unique_ptr<SgBus> sg_;
  MultiBus multi_;
};

}  // namespace tarvo
