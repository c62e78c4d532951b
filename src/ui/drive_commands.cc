#include "ui/drive_commands.h"

#include "hfs/work_file.h"
#include "maintenance/drive_control.h"
#include "maintenance/format_volume.h"
#include "maintenance/verify_medium.h"
#include "medium/brute_force_search.h"
#include "ui/context.h"
#include "ui/device_dialog.h"
#include "ui/name_dialog.h"
#include "ui/open_volume.h"

namespace tarvo {

namespace {

constexpr std::size_t kFormatNameMax = 26;

std::string TrimRight(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

}  // namespace

void SelectDriveCommand(Context& ctx) {
  if (SelectDrive(ctx) != DriveChoice::kChosen) return;
  if (OpenVolume(ctx) == VolumeOpening::kNoMacVolume) SetStatus(ctx, ctx.messages[kMsgNotMacVolume]);
}

void FormatCommand(Context& ctx, FormatDrive drive) {
  NameDialog dialog("DLG_FORM", "Formatting", "", ctx.settings.formatName, kFormatNameMax);
  dialog.SetNotice("Caution !!!\nAll data will be destroyed.");
  dialog.SetStakes(Stakes::kDestroys);
  ctx.ui->RunNameDialog(dialog);
  if (!dialog.result()) return;
  ctx.settings.formatName = *dialog.result();
  const std::string name = TrimRight(*dialog.result());

  if (ctx.volume.adapterKind == AdapterKind::kAspi) {
    if (drive == FormatDrive::kAsk && !ChooseDriveToUse(ctx)) return;
    const std::uint32_t sectors = FormatCapacity(ctx, ctx.device.hostAdapterId, ctx.volume.targetId);
    if (sectors == 0) {
      MessageDialog(ctx, kMsgUnknownMedium);
      return;
    }
    ctx.volume.deviceSectors = sectors;
  }
  SetStatus(ctx, ctx.messages[kMsgInitializing], kTextPleaseWait);
  FormatVolume(ctx, name);
  SetStatus(ctx, std::nullopt);
  // The new volume is opened as any volume is: the title and the listing.
  if (ctx.volume.targetId != kNoDevice) OpenVolume(ctx);
}

void VerifyCommand(Context& ctx) {
  const DeviceState savedDevice = ctx.device;
  const std::uint8_t savedTarget = ctx.volume.targetId;
  const std::uint16_t savedSectorSize = ctx.volume.sectorSize;
  const std::uint32_t savedSectors = ctx.volume.deviceSectors;
  if (SelectDrive(ctx) == DriveChoice::kChosen) VerifyMedium(ctx, ctx.device.hostAdapterId, ctx.volume.targetId);
  ctx.device.hostAdapterId = savedDevice.hostAdapterId;
  ctx.device.sectorEntry = savedDevice.sectorEntry;
  ctx.volume.targetId = savedTarget;
  ctx.volume.sectorSize = savedSectorSize;
  ctx.volume.deviceSectors = savedSectors;
}

void LockCommand(Context& ctx) {
  if (ctx.settings.mediumLocked) UnlockMedium(ctx);
  else LockMedium(ctx);
  ctx.settings.mediumLocked = !ctx.settings.mediumLocked;
}

void BruteForceCommand(Context& ctx) {
  if (!ChooseDriveToUse(ctx)) return;
  if (BruteForceSearch(ctx) == 0) {
    MessageDialog(ctx, kMsgNoMdb);
    return;
  }
  OpenCatalogWorkFile(ctx);
  ShowRootFolder(ctx);
  SetStatus(ctx, std::nullopt);
}

bool ChooseDriveToUse(Context& ctx) {
  if (ctx.volume.targetId != kNoDevice) {
    switch (ctx.ui->AskSameDrive()) {
      case SameDriveChoice::kUseSame:
        return true;
      case SameDriveChoice::kCancel:
        return false;
      case SameDriveChoice::kRescan:
        break;
    }
  }
  return SelectDrive(ctx) == DriveChoice::kChosen;
}

}  // namespace tarvo
