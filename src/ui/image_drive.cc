#include "ui/image_drive.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <vector>

#include "base/big_endian.h"
#include "base/services.h"
#include "device/blank_image.h"
#include "device/drive_selection.h"
#include "device/write_claim.h"
#include "hfs/volume_header.h"
#include "ui/context.h"
#include "ui/dispatcher.h"
#include "ui/drive_bus.h"
#include "ui/drive_commands.h"
#include "ui/folder_navigation.h"
#include "ui/menu_model.h"
#include "ui/open_volume.h"
#include "ui/write_guard.h"

namespace tarvo {

namespace {

constexpr std::array<std::string_view, 5> kImageExtensions{"img", "hda", "dsk", "image", "hfs"};

// Signatures at the start of a medium: the driver descriptor map ("ER") in
// block 0, the first partition map entry ("PM") in block 1, and an HFS
// volume header (kHfsSignature) at byte 1024.
constexpr std::uint16_t kDriverDescriptorSig = 0x4552;
constexpr std::uint16_t kPartitionMapSig = 0x504D;

// Attaches the image and makes its drive the selected one; false after a
// message when it cannot be used.
bool SelectImage(Context& ctx, DriveBus& bus, const std::string& path) {
  const AttachedImage image = bus.AttachImage(path);
  if (!image.target) {
    MessageDialog(ctx, image.error);
    return false;
  }
  ctx.device.hostAdapterId = kImageBusAdapter;
  ctx.volume.targetId = *image.target;
  if (TakeMediumCapacity(ctx, kImageBusAdapter, *image.target)) return true;
  ctx.device.hostAdapterId = kNoDevice;
  ctx.volume.targetId = kNoDevice;
  MessageDialog(ctx, kMsgDriveNotReady);
  return false;
}

// The menus and the window follow the drive now selected.
ImageOpening Shown(Context& ctx, ImageOpening opening) {
  ApplyMenuState(ctx);
  ctx.ui->Repaint();
  return opening;
}

}  // namespace

ImageOpening OpenImageDrive(Context& ctx, DriveBus& bus, const std::string& path) {
  if (!SelectImage(ctx, bus, path)) return Shown(ctx, ImageOpening::kRefused);
  const VolumeOpening opening = OpenVolume(ctx);
  if (opening == VolumeOpening::kOpened) {
    SetStatus(ctx, std::string(MenuHelpText(0)));
    return Shown(ctx, ImageOpening::kOpened);
  }
  if (opening == VolumeOpening::kNoMacVolume) SetStatus(ctx, ctx.messages[kMsgNotMacVolume]);
  return Shown(ctx, ImageOpening::kNoMacVolume);
}

ImageOpening CreateImageDrive(Context& ctx, DriveBus& bus, const std::string& path, int megabytes) {
  if (std::string error = CreateBlankImage(path, megabytes); !error.empty()) {
    MessageDialog(ctx, error);
    return Shown(ctx, ImageOpening::kRefused);
  }
  if (!SelectImage(ctx, bus, path)) return Shown(ctx, ImageOpening::kRefused);
  const ClaimSpan span(ctx);
  if (MediumAcceptsWrites(ctx, GuardedCommandChanges(kMenuFormat), RefusalNotice::kMessageBox)) {
    FormatCommand(ctx, FormatDrive::kSelected);
  }
  return Shown(ctx, VolumeOpen(ctx) ? ImageOpening::kOpened : ImageOpening::kNoMacVolume);
}

std::span<const std::string_view> ImageExtensions() { return kImageExtensions; }

bool LooksLikeImage(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (std::filesystem::is_block_file(status)) return true;
  if (!std::filesystem::is_regular_file(status)) return false;
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (!extension.empty() &&
      std::find(kImageExtensions.begin(), kImageExtensions.end(), extension.substr(1)) != kImageExtensions.end())
    return true;
  std::vector<std::uint8_t> start(1026);
  std::ifstream file(path, std::ios::binary);
  if (!file.read(reinterpret_cast<char*>(start.data()), static_cast<std::streamsize>(start.size()))) return false;
  return GetU16(start, 0) == kDriverDescriptorSig || GetU16(start, 512) == kPartitionMapSig ||
         GetU16(start, 1024) == kHfsSignature;
}

}  // namespace tarvo
