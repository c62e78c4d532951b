#include "device/image_bus.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "base/big_endian.h"
#include "base/messages.h"
#include "device/cartridge_models.h"
#include "device/cdb_fields.h"
#include "device/system_mounts.h"

namespace tarvo {

namespace {

constexpr char kManagerName[] = "Tarvo image bus";
constexpr std::uint8_t kHaStatDataOverrun = 0x12;
constexpr std::size_t kInquiryLength = 36;

bool BufferHolds(const Srb& srb, std::uint64_t bytes) {
  return bytes == 0 || (srb.buffer != nullptr && srb.bufLen >= bytes);
}
void FailDataOverrun(Srb& srb) {
  srb.haStat = kHaStatDataOverrun;
  srb.status = kSsErr;
}
void Complete(Srb& srb) { srb.status = kSsComp; }

}  // namespace

std::string ImageBus::Attach(const ImageSpec& image) {
  if (drives_.size() >= kMaxImages) return "At most 8 image files can be attached.";
  Drive drive;
  if (std::string failure = drive.file.Open(image); !failure.empty()) return failure;
  drives_.push_back(std::move(drive));
  return "";
}

bool ImageBus::RemovalPrevented(std::uint8_t target) const {
  return target < drives_.size() && drives_[target].removalPrevented;
}

MediumLockResult ImageBus::ClaimMedium(std::uint8_t haId, std::uint8_t target) {
  if (haId != 0 || target >= drives_.size() || drives_[target].file.WriteProtected()) return MediumLockResult::kHeld;
  return drives_[target].file.LockExclusive();
}

std::string ImageBus::WriteRefusal(std::uint8_t haId, std::uint8_t target) {
  if (haId != 0 || target >= drives_.size() || !drives_[target].file.BlockDevice()) return "";
  const ImageFile& file = drives_[target].file;
  const std::optional<SystemMount> mount = SystemMountOf(*file.BlockDevice());
  if (!mount) return "";
  return "The device \"" + file.Path() + "\" is mounted by the system (" + mount->source + " on " +
         mount->mountPoint + "); unmount it first.";
}

void ImageBus::ShareMedia() {
  for (Drive& drive : drives_) {
    if (!drive.file.WriteProtected()) drive.file.Share();
  }
}

std::uint32_t ImageBus::GetSupportInfo() { return std::uint32_t{kSsComp} << 8 | 1; }

void ImageBus::SendCommand(Srb& srb) {
  if (srb.haId != 0) {
    srb.haCount = 0;
    srb.status = kSsInvalidHa;
    return;
  }
  Drive* drive = FindDrive(srb);
  switch (srb.command) {
    case SrbCommand::kHaInquiry:
      srb.haCount = 1;
      srb.managerId.fill(0);
      std::copy_n(kManagerName, std::min(sizeof kManagerName - 1, srb.managerId.size()), srb.managerId.begin());
      Complete(srb);
      return;
    case SrbCommand::kGetDeviceType:
      if (drive == nullptr) break;
      srb.deviceType = kDeviceTypeDirectAccess;
      Complete(srb);
      return;
    case SrbCommand::kExecScsiCmd:
      if (drive == nullptr) break;
      Execute(*drive, srb);
      return;
    case SrbCommand::kBusDeviceReset:
      if (drive == nullptr) break;
      Complete(srb);
      return;
    default:
      srb.status = kSsInvalidSrb;
      return;
  }
  srb.status = kSsNoDevice;
}

ImageBus::Drive* ImageBus::FindDrive(const Srb& srb) {
  if (srb.lun != 0 || srb.target >= drives_.size()) return nullptr;
  return &drives_[srb.target];
}

void ImageBus::Execute(Drive& drive, Srb& srb) {
  const std::uint8_t opcode = srb.cdb[0];
  switch (opcode) {
    case kOpTestUnitReady:
    case kOpRead6:
    case kOpWrite6:
    case kOpInquiry:
    case kOpPreventAllow:
    case kOpReadCapacity:
    case kOpRead10:
    case kOpWrite10:
    case kOpVerify10:
    case kOpSynchronizeCache10:
      break;
    default:
      FailWithSense(srb, kSenseIllegalRequest, kAscInvalidOpcode);
      return;
  }
  if (srb.cdbLen < CdbLengthOf(opcode) || srb.cdbLen > srb.cdb.size()) {
    FailWithSense(srb, kSenseIllegalRequest, kAscInvalidFieldInCdb);
    return;
  }
  switch (opcode) {
    case kOpInquiry:
      Inquiry(drive, srb);
      return;
    case kOpReadCapacity:
      ReadCapacity(drive, srb);
      return;
    case kOpRead6:
    case kOpWrite6:
    case kOpRead10:
    case kOpWrite10:
      ReadWrite(drive, srb);
      return;
    case kOpVerify10:
      Verify10(drive, srb);
      return;
    case kOpSynchronizeCache10:
      SynchronizeCache(drive, srb);
      return;
    case kOpPreventAllow:
      drive.removalPrevented = (srb.cdb[4] & 1) != 0;
      Complete(srb);
      return;
    default:  // TEST UNIT READY: the cartridge is always in.
      Complete(srb);
      return;
  }
}

// Standard INQUIRY data of a SCSI-2 removable direct-access drive, cut to
// the allocation length; the rest of that length is zero-filled.
void ImageBus::Inquiry(const Drive& drive, Srb& srb) {
  const std::size_t length = std::min<std::size_t>(srb.cdb[4], srb.bufLen);
  if (!BufferHolds(srb, length)) return FailDataOverrun(srb);
  if ((srb.cdb[1] & 0x01) != 0) return UnitSerialNumber(drive, srb, length);
  std::array<std::uint8_t, kInquiryLength> data{};
  data[0] = kDeviceTypeDirectAccess;
  data[1] = 0x80;  // removable medium
  data[2] = 2;     // SCSI-2
  data[3] = 2;     // response data format
  data[4] = kInquiryLength - 5;
  std::fill(data.begin() + 8, data.end(), ' ');
  const auto put = [&data](std::size_t offset, std::string_view text) {
    std::copy(text.begin(), text.end(), data.begin() + offset);
  };
  put(8, "SyQuest ");
  put(16, NearestCartridgeModel(std::uint64_t{drive.file.BlockCount()} * drive.file.BlockSize()).product);
  put(32, "1.00");
  if (length == 0) return Complete(srb);
  std::fill_n(srb.buffer, length, 0);
  std::copy_n(data.begin(), std::min(length, data.size()), srb.buffer);
  Complete(srb);
}

void ImageBus::ReadCapacity(const Drive& drive, Srb& srb) {
  if (!BufferHolds(srb, 8)) return FailDataOverrun(srb);
  const Bytes reply(srb.buffer, 8);
  PutU32(reply, 0, drive.file.BlockCount() - 1);
  PutU32(reply, 4, drive.file.BlockSize());
  Complete(srb);
}

void ImageBus::ReadWrite(Drive& drive, Srb& srb) {
  const bool write = IsWrite(srb);
  const BlockRange range = DecodeBlockRange(srb);
  const std::uint32_t blockCount = drive.file.BlockCount();
  if (range.first >= blockCount || range.count > blockCount - range.first) {
    return FailWithSense(srb, kSenseIllegalRequest, kAscLbaOutOfRange);
  }
  const std::size_t bytes = std::size_t{range.count} * drive.file.BlockSize();
  if (!BufferHolds(srb, bytes)) return FailDataOverrun(srb);
  if (write && drive.file.WriteProtected()) return FailWithSense(srb, kSenseDataProtect, kAscWriteProtected);
  if (write ? drive.file.Write(range.first, ConstBytes(srb.buffer, bytes))
            : drive.file.Read(range.first, Bytes(srb.buffer, bytes))) {
    return Complete(srb);
  }
  FailWithSense(srb, kSenseMediumError, write ? kAscWriteError : kAscUnrecoveredReadError);
}

// Vital product data: the list of pages, and the unit serial number,
// which names the image (ImageFile::Identity).
void ImageBus::UnitSerialNumber(const Drive& drive, Srb& srb, std::size_t length) {
  constexpr std::size_t kSerialLength = 32;
  std::array<std::uint8_t, 4 + kSerialLength> data{};
  data[0] = kDeviceTypeDirectAccess;
  data[1] = srb.cdb[2];
  if (srb.cdb[2] == 0x00) {
    data[3] = 2;
    data[5] = 0x80;
  } else if (const std::optional<std::string> identity = srb.cdb[2] == 0x80 ? drive.file.Identity() : std::nullopt) {
    const std::size_t n = std::min(identity->size(), kSerialLength);
    std::copy_n(identity->begin(), n, data.begin() + 4);
    data[3] = static_cast<std::uint8_t>(n);
  } else {
    return FailWithSense(srb, kSenseIllegalRequest, kAscInvalidFieldInCdb);
  }
  std::fill_n(srb.buffer, length, 0);
  std::copy_n(data.begin(), std::min<std::size_t>(length, 4 + data[3]), srb.buffer);
  Complete(srb);
}

// What the image's writes left in the system's cache reaches its disk;
// with IMMED its writing back is only started.
void ImageBus::SynchronizeCache(const Drive& drive, Srb& srb) {
  if (drive.file.Sync((srb.cdb[1] & kSynchronizeImmediate) != 0)) return Complete(srb);
  FailWithSense(srb, kSenseMediumError, kAscWriteError);
}

// The image cannot decay, so a range on the medium verifies.
void ImageBus::Verify10(const Drive& drive, Srb& srb) {
  const BlockRange range = DecodeCdb10(srb);
  const std::uint32_t blockCount = drive.file.BlockCount();
  if (range.first >= blockCount || range.count > blockCount - range.first) {
    return FailWithSense(srb, kSenseIllegalRequest, kAscLbaOutOfRange);
  }
  Complete(srb);
}

}  // namespace tarvo
