#include "ui/drive_bus.h"

#include "ui/demo_cartridge.h"

namespace tarvo {

std::string DriveBus::Assemble(const StartupOptions& options) {
  multi_.Add(images_);
  if (options.demo) {
    std::string path;
    if (std::string error = EnsureDemoCartridge(path); !error.empty()) return error;
    if (std::string error = images_.Attach({path, false, 512}); !error.empty()) return error;
  }
  firstMade_ = images_.DriveCount();
  madeCount_ = options.creates.size();
  for (const StartupOptions::Create& create : options.creates) {
    if (std::string error = CreateBlankImage(create.path, create.megabytes); !error.empty()) return error;
    if (std::string error = images_.Attach({create.path, false, 512}); !error.empty()) return error;
  }
  for (const std::string& text : options.images) {
    std::string error;
    std::optional<ImageSpec> image = ParseImageOption(text, error);
    if (!image) return error;
    if (error = images_.Attach(*image); !error.empty()) return error;
  }
  if (options.scsi) {
    sg_ = std::make_unique<SgBus>(MakeLinuxSgDeviceLayer());
    multi_.Add(*sg_);
  }
  return {};
}

// The image bus is adapter 0: it was added first.
bool DriveBus::MadeBlank(std::uint8_t adapter, std::uint8_t target) const {
  return adapter == 0 && target >= firstMade_ && target < firstMade_ + madeCount_;
}

}  // namespace tarvo
