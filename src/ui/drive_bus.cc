#include "ui/drive_bus.h"

#include "device/blank_image.h"
#include "ui/demo_cartridge.h"
#include "ui/image_option.h"

namespace tarvo {

std::string DriveBus::Assemble(const StartupOptions& options) {
  multi_.Add(images_);
  if (options.demo) {
    std::string path;
    if (std::string error = EnsureDemoCartridge(path); !error.empty()) return error;
    if (std::string error = Attach({path, false, 512}); !error.empty()) return error;
  }
  firstMade_ = images_.DriveCount();
  madeCount_ = options.creates.size();
  for (const StartupOptions::Create& create : options.creates) {
    if (std::string error = CreateBlankImage(create.path, create.megabytes); !error.empty()) return error;
    if (std::string error = Attach({create.path, false, 512}); !error.empty()) return error;
  }
  for (const std::string& text : options.images) {
    std::string error;
    std::optional<ImageSpec> image = ParseImageOption(text, error);
    if (!image) return error;
    if (error = Attach(*image); !error.empty()) return error;
  }
  if (options.scsi) {
    sg_ = std::make_unique<SgBus>(MakeLinuxSgDeviceLayer());
    multi_.Add(*sg_);
  }
  return {};
}

std::string DriveBus::AttachNamedFiles(StartupOptions& options) {
  for (const std::string& file : options.files) {
    const AttachedImage image = AttachImage(file);
    if (!image.target) return image.error;
    if (options.adapterOption) continue;
    options.adapterOption = true;
    options.hostAdapter = kImageBusAdapter;
    options.target = *image.target;
  }
  return {};
}

AttachedImage DriveBus::AttachImage(const std::string& path) {
  for (std::size_t target = 0; target < paths_.size(); ++target) {
    std::error_code error;
    if (std::filesystem::equivalent(paths_[target], path, error)) return {static_cast<std::uint8_t>(target), ""};
  }
  if (std::string error = Attach({path, false, 512}); !error.empty()) return {std::nullopt, error};
  return {static_cast<std::uint8_t>(images_.DriveCount() - 1), ""};
}

// The image bus was added first.
bool DriveBus::MadeBlank(std::uint8_t adapter, std::uint8_t target) const {
  return adapter == kImageBusAdapter && target >= firstMade_ && target < firstMade_ + madeCount_;
}

std::string DriveBus::Attach(const ImageSpec& image) {
  if (std::string error = images_.Attach(image); !error.empty()) return error;
  paths_.push_back(image.path);
  return {};
}

}  // namespace tarvo
