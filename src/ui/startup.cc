#include "ui/startup.h"

#include <filesystem>

#include "hfs/work_file.h"
#include "transfer/pc_file_system.h"
#include "ui/context.h"
#include "ui/device_dialog.h"
#include "ui/dispatcher.h"
#include "ui/menu_model.h"
#include "ui/open_volume.h"

namespace tarvo {

namespace {

std::string CurrentPcDirectory() {
  std::error_code error;
  std::filesystem::path dir = std::filesystem::current_path(error);
  return error ? std::string() : dir.string();
}

}  // namespace

void InitSettings(Context& ctx, const StartupOptions& options) {
  ctx.volume.targetId = kNoDevice;
  ctx.volume.adapterKind = AdapterKind::kNone;
  ctx.settings.modeFlags = kCopyData;
  ctx.settings.mediumLocked = false;
  ctx.settings.partitionCount = 1;
  ctx.settings.longNamesAvailable = LongNamesSupported(".");
  ctx.settings.namingMode = ctx.settings.longNamesAvailable ? NamingMode::kLong : NamingMode::kShort;
  ctx.settings.savedPcDirectory = CurrentPcDirectory();
  ctx.device.hostAdapterId = kNoDevice;
  if (options.adapterOption) {
    ctx.volume.adapterKind = AdapterKind::kAspi;
    if (options.hostAdapter) ctx.device.hostAdapterId = static_cast<std::uint8_t>(*options.hostAdapter);
    if (options.target) ctx.volume.targetId = static_cast<std::uint8_t>(*options.target);
  }
  // The demo cartridge is the bus's first drive: asking for it names it.
  if (options.demo && !options.adapterOption) {
    ctx.device.hostAdapterId = 0;
    ctx.volume.targetId = 0;
  }
  if (options.logName) OpenLogFromStartOption(ctx, *options.logName);
  if (options.reset) ctx.device.resetBeforeTransfer = true;
  if (options.copyMode) ctx.settings.modeFlags = WithCopyMode(ctx.settings.modeFlags, *options.copyMode);
  ctx.settings.existingFiles = options.existingFiles;
  ctx.volume.transferSectors = 64;
  ctx.volume.sectorSize = 512;
  StartupDriveSelection(ctx);
  ctx.volume.adapterKind = AdapterKind::kAspi;
  if (IsLogOpen(ctx.log)) WriteLogStamp(ctx.log, false);
}

void OpenVolumeAtStart(Context& ctx) {
  if (ctx.volume.targetId == kNoDevice) {
    SetStatus(ctx, ctx.messages[kMsgSelectDriveInMenu]);
  } else {
    AdvanceWaitCursor(ctx);
    const VolumeOpening opening = OpenVolume(ctx);
    if (opening == VolumeOpening::kOpened) SetStatus(ctx, std::string(MenuHelpText(0)));
    else if (opening == VolumeOpening::kNoMacVolume) SetStatus(ctx, ctx.messages[kMsgNotMacVolume]);
  }
  ApplyMenuState(ctx);
  ctx.ui->Repaint();
}

void Shutdown(Context& ctx) {
  CloseWorkFiles(ctx);
  if (!ctx.settings.savedPcDirectory.empty()) {
    std::error_code error;
    std::filesystem::current_path(ctx.settings.savedPcDirectory, error);
  }
  if (IsLogOpen(ctx.log)) {
    WriteLogStamp(ctx.log, true);
    CloseLog(ctx.log);
  }
}

int ShutdownWithExitCode(Context& ctx, int exitCode) {
  try {
    Shutdown(ctx);
  } catch (const FatalExit&) {
    return 1;
  }
  return exitCode;
}

}  // namespace tarvo
