// The drives of a run: the image bus (adapter 0) with the images the
// start-up options attach or create, and those the desktop program attaches
// later, and, with --scsi, the machine's SCSI hosts as adapters 1, 2, ...
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/image_bus.h"
#include "device/multi_bus.h"
#include "device/sg_bus.h"
#include "ui/startup_options.h"

namespace tarvo {

// The image bus's adapter number among the drives of a run.
inline constexpr std::uint8_t kImageBusAdapter = 0;

// One image attached after start-up: its target on the image bus, or why
// it could not be attached.
struct AttachedImage {
  std::optional<std::uint8_t> target;
  std::string error;
};

class DriveBus {
 public:
  // Attaches the demo cartridge of --demo first (making it when needed),
  // creates the images of --create, then attaches those and the --image
  // ones in the order given. Returns "" or what went wrong.
  std::string Assemble(const StartupOptions& options);
  // Attaches the plain words of the command line (the desktop entry's %f)
  // as images after those of the options, and makes the first of them the
  // drive to open unless /A names one. Returns "" or what went wrong.
  std::string AttachNamedFiles(StartupOptions& options);
  // Attaches an image file or block device as the next drive, writable when
  // the file allows it, with the locking of --image. A file already
  // attached (under any name) is not attached twice: its drive is given.
  AttachedImage AttachImage(const std::string& path);
  ScsiManager& manager() { return multi_; }
  // The drive holds an image --create has just made (blank, not formatted).
  bool MadeBlank(std::uint8_t adapter, std::uint8_t target) const;

 private:
  std::string Attach(const ImageSpec& image);

  ImageBus images_;
  std::vector<std::filesystem::path> paths_;  // by target
  std::size_t firstMade_ = 0, madeCount_ = 0;  // targets on the image bus
  std::unique_ptr<SgBus> sg_;
  MultiBus multi_;
};

}  // namespace tarvo
