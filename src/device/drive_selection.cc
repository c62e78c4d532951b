#include "device/drive_selection.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <string_view>
#include <vector>

#include "base/big_endian.h"
#include "base/engine.h"
#include "device/cartridge_models.h"
#include "device/scsi_commands.h"
#include "device/scsi_manager.h"

namespace tarvo {

namespace {

constexpr int kInquiryAttempts = 5;
constexpr int kCheckedCapacityAttempts = 6;
constexpr int kDialogCapacityAttempts = 10;
constexpr std::uint8_t kTargetsPerAdapter = 8;
constexpr std::uint32_t kMaxBlocksPerFormat = 65535;

// INQUIRY fields.
constexpr std::size_t kVendorOffset = 8, kVendorLength = 8;
constexpr std::size_t kProductOffset = 16, kProductLength = 16;
constexpr std::size_t kRevisionOffset = 32, kRevisionLength = 4;

// The cartridge sizes of the DLG_CAPA radio buttons, in dialog order.
constexpr std::array<int, 5> kCapacityChoiceMegabytes{44, 88, 200, 105, 270};

using InquiryData = std::array<std::uint8_t, 100>;

std::string InquiryText(const InquiryData& data, std::size_t offset, std::size_t length);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool IsCartridgeDrive(const InquiryData& data);
InquiryData InquireWithRetries(Engine& ctx, std::uint8_t adapter, std::uint8_t target);
std::string ManagerName(const std::array<char, 16>& name);

}  // namespace

std::uint16_t ScanBus(Engine& ctx, DeviceTable& table) {
  table.fill(DeviceRow{});
  constexpr std::size_t kLastUsableRow = kDeviceTableRows - 2;
  std::uint8_t drives = 0;
  std::size_t row = 0;
  std::uint8_t h = 0;
  for (; h < kEndOfTable && row <= kLastUsableRow; ++h) {
    std::array<char, 16> managerName{};
    if (HostAdapterInquiry(ctx, h, managerName) == 0) break;
    std::size_t header = row++;
    table[header] = DeviceRow{h, 1, kEndOfTable, {}, ManagerName(managerName), {}};
    for (std::uint8_t t = 0; t < kTargetsPerAdapter && row <= kLastUsableRow; ++t) {
      if (GetDeviceType(ctx, h, t) != kDeviceTypeDirectAccess) continue;
      InquiryData data = InquireWithRetries(ctx, h, t);
      if (!IsCartridgeDrive(data)) continue;
      table[row++] = DeviceRow{h, kDeviceTypeDirectAccess, t, InquiryText(data, kVendorOffset, kVendorLength),
                               InquiryText(data, kProductOffset, kProductLength),
                               InquiryText(data, kRevisionOffset, kRevisionLength)};
      ++drives;
    }
    table[header].deviceType = static_cast<std::uint8_t>(row - header);
  }
  table[row].adapter = kEndOfTable;
  return static_cast<std::uint16_t>(h << 8 | drives);
}

// A pair with a missing half (/A with one digit) names no drive: no command
// is sent to target or adapter 255.
bool StartupPairAccepted(Engine& ctx, std::uint8_t adapter, std::uint8_t target) {
  if (adapter == kNoDevice || target == kNoDevice) return false;
  std::uint16_t type = GetDeviceType(ctx, adapter, target);
  InquiryData data{};
  std::uint8_t status = ScsiInquiry(ctx, adapter, target, data);
  if (status != kSsComp && status != kSsErr) return false;
  return type == kDeviceTypeDirectAccess && InquiryText(data, kProductOffset, kProductLength).starts_with("SQ");
}

bool TakeMediumCapacity(Engine& ctx, std::uint8_t adapter, std::uint8_t target) {
  std::vector<std::uint8_t> reply(512);
  for (int attempt = 1; ScsiReadCapacity(ctx, adapter, target, reply) != kSsComp; ++attempt)
    if (attempt == kDialogCapacityAttempts) return false;
  const std::uint32_t lastBlock = GetU32(reply, 0);
  const std::uint32_t blockLength = GetU32(reply, 4);
  // Any other block length would make the sector entry points move the wrong
  // number of bytes; the medium is then kept at the size it had.
  if (IsSupportedSectorSize(blockLength)) {
    ctx.volume.sectorSize = static_cast<std::uint16_t>(blockLength);
    ctx.device.sectorEntry = blockLength == 1024 ? SectorEntryKind::k1024 : SectorEntryKind::k512;
  }
  // The last sector's number, one less than the count; the partition map
  // read at the mount replaces it with the medium's block count.
  if (lastBlock != 0) {
    ctx.volume.deviceSectors = LastSectorOf(lastBlock, blockLength);
    ctx.volume.mediumSectors = ctx.volume.deviceSectors == std::numeric_limits<std::uint32_t>::max() ? 0 : ctx.volume.deviceSectors + 1;
  }
  return true;
}

std::uint32_t ReadCapacityChecked(Engine& ctx, std::uint8_t adapter, std::uint8_t target) {
  std::vector<std::uint8_t> reply(512);
  for (int attempt = 1;; ++attempt) {
    if (ctx.device.resetBeforeTransfer) ResetDevice(ctx, adapter, target);
    if (ScsiReadCapacity(ctx, adapter, target, reply) == kSsComp) break;
    if (attempt == kCheckedCapacityAttempts) {
      SetStatus(ctx, ctx.messages[kMsgDriveNotReady]);
      return 0;
    }
  }
  std::uint32_t lastBlock = GetU32(reply, 0);
  std::uint32_t blockLength = GetU32(reply, 4);
  if (IsSupportedSectorSize(blockLength)) ctx.volume.sectorSize = static_cast<std::uint16_t>(blockLength);
  return LastSectorOf(lastBlock, blockLength);
}

std::uint32_t LastSectorOf(std::uint32_t lastBlock, std::uint32_t blockLength) {
  if (blockLength != 1024) return lastBlock;
  std::uint64_t last = (std::uint64_t{lastBlock} + 1) * 2 - 1;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(last, std::numeric_limits<std::uint32_t>::max()));
}

bool IsSupportedSectorSize(std::uint32_t blockLength) { return blockLength == 512 || blockLength == 1024; }

FormatGeometry GeometryForCapacity(std::uint32_t sectors, std::uint16_t sectorSize) {
  FormatGeometry g;
  g.sectors = sectors;
  g.allocFactor = 2;
  while (sectors / g.allocFactor >= kMaxBlocksPerFormat) ++g.allocFactor;
  g.allocBlockSize = g.allocFactor * sectorSize;
  g.bitmapSectors = sectors / g.allocFactor / 4096 + 1;
  return g;
}

std::uint32_t FormatCapacity(Engine& ctx, std::uint8_t adapter, std::uint8_t target) {
  std::uint32_t c = ReadCapacityChecked(ctx, adapter, target);
  if (c != 0) return c;
  CapacityAnswer answer = ctx.ui->AskCapacity();
  if (!answer.ok || !answer.choice || *answer.choice < 0 ||
      static_cast<std::size_t>(*answer.choice) >= kCapacityChoiceMegabytes.size())
    return 0;
  c = CartridgeSectors(kCapacityChoiceMegabytes[static_cast<std::size_t>(*answer.choice)]);
  ctx.volume.deviceSectors = c;
  return c;
}

namespace {

// Copied up to the field's length or its first zero byte.
std::string InquiryText(const InquiryData& data, std::size_t offset, std::size_t length) {
  auto begin = data.begin() + static_cast<std::ptrdiff_t>(offset);
  auto end = std::find(begin, begin + static_cast<std::ptrdiff_t>(length), 0);
  return std::string(begin, end);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(text[i])) != std::toupper(static_cast<unsigned char>(prefix[i])))
      return false;
  return true;
}

bool IsCartridgeDrive(const InquiryData& data) {
  return StartsWithNoCase(InquiryText(data, kProductOffset, kProductLength), "SQ") ||
         StartsWithNoCase(InquiryText(data, kVendorOffset, kVendorLength), "SYQ");
}

// The data are used even when every attempt failed: the buffer is zeroed
// first, so a silent drive simply is not recognised.
InquiryData InquireWithRetries(Engine& ctx, std::uint8_t adapter, std::uint8_t target) {
  InquiryData data{};
  for (int attempt = 0; attempt < kInquiryAttempts; ++attempt)
    if (ScsiInquiry(ctx, adapter, target, data) == kSsComp) break;
  return data;
}

std::string ManagerName(const std::array<char, 16>& name) {
  return std::string(name.begin(), std::find(name.begin(), name.end(), '\0'));
}

}  // namespace

}  // namespace tarvo
