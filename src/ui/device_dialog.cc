#include "ui/device_dialog.h"

#include <optional>

#include "device/scsi_commands.h"
#include "ui/context.h"
#include "ui/text_answers.h"

namespace tarvo {

namespace {

// The rows of one adapter in the table: its header and the drives after it.
struct AdapterRows {
  std::size_t header = 0;
  std::size_t end = 0;  // one past the last drive row
  std::size_t drives() const { return end - header - 1; }
};

std::optional<AdapterRows> FindAdapter(const DeviceTable& table, std::uint8_t adapter);
std::size_t DrivesOn(const DeviceTable& table, std::uint8_t adapter);

}  // namespace

void DeviceDialog::Open() {
  ctx_.volume.targetId = kNoDevice;
  ctx_.device.hostAdapterId = 0;
  nextEnabled_ = precedingEnabled_ = false;
  const std::uint16_t found = ScanBus(ctx_, table_);
  adapterCount_ = found >> 8;
  driveCount_ = found & 0xFF;
  if (adapterCount_ == 0) {
    MessageDialog(ctx_, kMsgNoScsiDevice);
    Finish(DriveChoice::kNoAdapter);
    return;
  }
  ShowAdapter();
}

void DeviceDialog::ClickTarget(std::uint8_t target) {
  if (closed_ || target >= rows_.size() || !rows_[target].enabled) return;
  ctx_.volume.targetId = target;
}

void DeviceDialog::NextHost() {
  if (closed_ || !nextEnabled_) return;
  ++ctx_.device.hostAdapterId;
  ShowAdapter();
}

void DeviceDialog::PrecedingHost() {
  if (closed_ || !precedingEnabled_) return;
  std::uint8_t& adapter = ctx_.device.hostAdapterId;
  do --adapter;
  while (DrivesOn(table_, adapter) == 0);  // enabled only when such an adapter exists
  ShowAdapter();
}

void DeviceDialog::Ok() {
  if (closed_) return;
  std::uint8_t target = ctx_.volume.targetId;
  if (target == kNoDevice) {
    MessageDialog(ctx_, kMsgSelectDrive);
    return;
  }
  if (!TakeMediumCapacity(ctx_, ctx_.device.hostAdapterId, target))
    FatalError(ctx_, ctx_.messages[kMsgDriveNotReady]);
  Finish(DriveChoice::kChosen);
}

void DeviceDialog::Cancel() {
  if (closed_) return;
  ctx_.device.hostAdapterId = kNoDevice;
  ctx_.volume.targetId = kNoDevice;
  Finish(DriveChoice::kCancelled);
}

void DeviceDialog::Close() {
  if (closed_) return;
  ctx_.volume.targetId = kNoDevice;
  Finish(DriveChoice::kCancelled);
}

void DeviceDialog::ApplyAnswer(std::string_view text) {
  std::string answer = NormalizeAnswer(text);
  if (answer.size() == 1 && answer[0] >= '0' && answer[0] <= '7') {
    auto target = static_cast<std::uint8_t>(answer[0] - '0');
    if (!rows_[target].enabled) {
      MessageDialog(ctx_, kMsgSelectDrive);
      return;
    }
    ClickTarget(target);
    Ok();
  } else if (answer == "next") {
    NextHost();
  } else if (answer == "previous") {
    PrecedingHost();
  } else if (answer.empty() || answer == "ok") {
    Ok();
  } else if (answer == "cancel") {
    Cancel();
  } else {
    ctx_.ui->Beep();
  }
}

std::uint8_t DeviceDialog::shownAdapter() const { return ctx_.device.hostAdapterId; }

std::uint8_t DeviceDialog::selectedTarget() const { return ctx_.volume.targetId; }

// Shows `hostAdapterId`, or the first adapter after it that has drives.
void DeviceDialog::ShowAdapter() {
  std::uint8_t& adapter = ctx_.device.hostAdapterId;
  while (adapter + 1 < adapterCount_ && DrivesOn(table_, adapter) == 0) ++adapter;
  rows_.fill(Row{});
  driverName_.clear();
  ctx_.volume.targetId = kNoDevice;
  if (std::optional<AdapterRows> rows = FindAdapter(table_, adapter)) {
    driverName_ = table_[rows->header].product;
    for (std::size_t i = rows->header + 1; i < rows->end; ++i) {
      const DeviceRow& drive = table_[i];
      rows_[drive.target] = Row{true, drive.vendor, drive.product, drive.revision};
    }
    if (rows->drives() == 1) ctx_.volume.targetId = table_[rows->header + 1].target;
  }
  nextEnabled_ = adapter + 1 < adapterCount_;
  precedingEnabled_ = false;
  for (std::uint8_t earlier = 0; earlier < adapter; ++earlier)
    if (DrivesOn(table_, earlier) != 0) precedingEnabled_ = true;
}

void DeviceDialog::Finish(DriveChoice result) {
  result_ = result;
  closed_ = true;
}

namespace {

std::optional<AdapterRows> FindAdapter(const DeviceTable& table, std::uint8_t adapter) {
  for (std::size_t i = 0; i < table.size() && table[i].adapter != kEndOfTable; ++i) {
    if (table[i].adapter != adapter || table[i].target != kEndOfTable) continue;
    std::size_t end = i + 1;
    while (end < table.size() && table[end].adapter == adapter && table[end].target < 8) ++end;
    return AdapterRows{i, end};
  }
  return std::nullopt;
}

std::size_t DrivesOn(const DeviceTable& table, std::uint8_t adapter) {
  std::optional<AdapterRows> rows = FindAdapter(table, adapter);
  return rows ? rows->drives() : 0;
}

}  // namespace

bool DeviceDialog::ChooseFirstDrive() {
  for (std::uint8_t target = 0; target < rows_.size(); ++target) {
    if (!rows_[target].enabled) continue;
    ClickTarget(target);
    Ok();
    return true;
  }
  return false;
}

DriveChoice SelectDrive(Context& ctx) {
  DeviceDialog dialog(ctx);
  dialog.Open();
  if (!dialog.closed()) ctx.ui->RunDeviceDialog(dialog);
  return dialog.result();
}

// A pair given on the command line is checked, not scanned: only a drive
// whose product identification begins with upper-case "SQ" is kept.
void StartupDriveSelection(Context& ctx) {
  if (AspiStartup(ctx) == 0) FatalError(ctx, ctx.messages[kMsgAspiInit]);
  DeviceState& device = ctx.device;
  VolumeState& volume = ctx.volume;
  if (device.hostAdapterId == kNoDevice && volume.targetId == kNoDevice) {
    SelectDrive(ctx);
  } else if (!StartupPairAccepted(ctx, device.hostAdapterId, volume.targetId) ||
             !TakeMediumCapacity(ctx, device.hostAdapterId, volume.targetId)) {
    MessageDialog(ctx, kMsgDriveNotReady);
    device.hostAdapterId = kNoDevice;
    volume.targetId = kNoDevice;
  }
  // The dialog may have chosen a medium with 1024-byte sectors; the entry
  // point must match the sector size it reported.
  device.sectorEntry = volume.sectorSize == 1024 ? SectorEntryKind::k1024 : SectorEntryKind::k512;
  volume.adapterKind = AdapterKind::kAspi;
}

}  // namespace tarvo
