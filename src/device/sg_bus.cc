#include "device/sg_bus.h"

#include <scsi/sg.h>

#include <algorithm>
#include <array>
#include <cstdio>

#include "device/cdb_fields.h"

namespace tarvo {

namespace {

constexpr unsigned kTimeoutMs = 60000;
constexpr std::uint8_t kScsiGood = 0x00;
constexpr std::uint8_t kScsiCheckCondition = 0x02;
// Linux host and driver codes (include/scsi/scsi.h of the kernel).
constexpr std::uint16_t kHostTimeOut = 0x03;
constexpr std::uint16_t kDriverCodeMask = 0x0F;
constexpr std::uint16_t kDriverSense = 0x08;
constexpr std::uint16_t kDriverTimeout = 0x06;
// ASPI adapter status values.
constexpr std::uint8_t kHaStatCommandTimeout = 0x0B;
constexpr std::uint8_t kHaStatSelectionTimeout = 0x11;

int DirectionOf(const Srb& srb);
void FailTransport(Srb& srb, std::uint8_t haStat) {
  srb.haStat = haStat;
  srb.status = kSsErr;
}

}  // namespace

SgBus::SgBus(std::unique_ptr<SgDeviceLayer> layer) : layer_(std::move(layer)), hosts_(layer_->ListHosts()) {
  if (hosts_.size() > 255) hosts_.resize(255);
}

SgBus::~SgBus() {
  for (const auto& [path, fd] : open_) {
    if (fd >= 0) layer_->Close(fd);
  }
}

std::uint32_t SgBus::GetSupportInfo() { return std::uint32_t{kSsComp} << 8 | hosts_.size(); }

void SgBus::SendCommand(Srb& srb) {
  if (srb.haId >= hosts_.size()) {
    srb.haCount = 0;
    srb.status = kSsInvalidHa;
    return;
  }
  SgTarget* target = FindTarget(srb.haId, srb.target, srb.lun);
  switch (srb.command) {
    case SrbCommand::kHaInquiry: {
      srb.haCount = static_cast<std::uint8_t>(hosts_.size());
      srb.managerId.fill(0);
      char name[32];
      std::snprintf(name, sizeof name, "Linux SG host %d", hosts_[srb.haId].hostNumber);
      std::copy_n(name, std::min(std::char_traits<char>::length(name), srb.managerId.size()), srb.managerId.begin());
      srb.status = kSsComp;
      return;
    }
    case SrbCommand::kGetDeviceType:
      if (target == nullptr) break;
      DeviceType(*target, srb);
      return;
    case SrbCommand::kExecScsiCmd:
      if (target == nullptr) break;
      Execute(*target, srb);
      return;
    case SrbCommand::kBusDeviceReset:
      if (target == nullptr) break;
      Reset(*target, srb);
      return;
    default:
      srb.status = kSsInvalidSrb;
      return;
  }
  srb.status = kSsNoDevice;
}

MediumLockResult SgBus::ClaimMedium(std::uint8_t haId, std::uint8_t target) {
  const SgTarget* drive = haId < hosts_.size() ? FindTarget(haId, target, 0) : nullptr;
  const int fd = drive != nullptr ? Descriptor(*drive) : -1;
  return fd < 0 ? MediumLockResult::kHeld : layer_->Lock(fd, true);
}

void SgBus::ShareMedia() {
  for (const auto& [path, fd] : open_) layer_->Lock(fd, false);
}

SgTarget* SgBus::FindTarget(std::uint8_t haId, std::uint8_t target, std::uint8_t lun) {
  if (lun != 0) return nullptr;
  for (SgTarget& drive : hosts_[haId].targets) {
    if (drive.target == target) return &drive;
  }
  return nullptr;
}

int SgBus::Descriptor(const SgTarget& target) {
  const auto known = open_.find(target.devicePath);
  if (known != open_.end() && known->second >= 0) return known->second;
  const int fd = layer_->Open(target.devicePath);
  if (fd >= 0) {
    open_[target.devicePath] = fd;
    layer_->Lock(fd, false);
  }
  return fd;
}

void SgBus::Execute(const SgTarget& target, Srb& srb) {
  if (srb.cdbLen == 0 || srb.cdbLen > srb.cdb.size()) {
    srb.status = kSsInvalidSrb;
    return;
  }
  const int fd = Descriptor(target);
  if (fd < 0) return FailTransport(srb, kHaStatSelectionTimeout);
  std::array<std::uint8_t, sizeof srb.sense> sense{};
  sg_io_hdr_t io{};
  io.interface_id = 'S';
  io.cmd_len = srb.cdbLen;
  io.cmdp = srb.cdb.data();
  io.dxfer_direction = DirectionOf(srb);
  if (io.dxfer_direction != SG_DXFER_NONE) {
    io.dxfer_len = srb.bufLen;
    io.dxferp = srb.buffer;
  }
  io.mx_sb_len = static_cast<unsigned char>(std::min<std::size_t>(srb.senseLen, sense.size()));
  io.sbp = sense.data();
  io.timeout = kTimeoutMs;
  if (layer_->Ioctl(fd, SG_IO, &io) < 0) return FailTransport(srb, kHaStatSelectionTimeout);

  const unsigned driverCode = io.driver_status & kDriverCodeMask;
  if (io.host_status != 0 || (driverCode != 0 && driverCode != kDriverSense)) {
    const bool timedOut = io.host_status == kHostTimeOut || driverCode == kDriverTimeout;
    return FailTransport(srb, timedOut ? kHaStatCommandTimeout : kHaStatSelectionTimeout);
  }
  srb.targetStat = io.status;
  if (io.status == kScsiGood) {
    srb.status = kSsComp;
    return;
  }
  srb.sense.fill(0);
  if (io.status == kScsiCheckCondition) {
    std::copy_n(sense.begin(), std::min<std::size_t>(io.sb_len_wr, io.mx_sb_len), srb.sense.begin());
  }
  srb.status = kSsErr;
}

// The type the system reports, else INQUIRY byte 0: a qualifier of 3
// (bits 5..7) means no device at this address.
void SgBus::DeviceType(SgTarget& target, Srb& srb) {
  if (!target.deviceType) {
    std::array<std::uint8_t, 36> data{};
    Srb inquiry;
    inquiry.command = SrbCommand::kExecScsiCmd;
    inquiry.haId = srb.haId;
    inquiry.target = srb.target;
    inquiry.flags = kSrbDirIn;
    inquiry.cdbLen = 6;
    inquiry.cdb[0] = kOpInquiry;
    inquiry.cdb[4] = data.size();
    inquiry.buffer = data.data();
    inquiry.bufLen = data.size();
    Execute(target, inquiry);
    if (inquiry.status != kSsComp || data[0] >> 5 == 3) {
      srb.status = kSsNoDevice;
      return;
    }
    target.deviceType = data[0] & 0x1F;
  }
  srb.deviceType = *target.deviceType;
  srb.status = kSsComp;
}

void SgBus::Reset(const SgTarget& target, Srb& srb) {
  const int fd = Descriptor(target);
  int kind = SG_SCSI_RESET_DEVICE;
  if (fd < 0 || layer_->Ioctl(fd, SG_SCSI_RESET, &kind) < 0) return FailTransport(srb, kHaStatSelectionTimeout);
  srb.status = kSsComp;
}

namespace {

// Operation codes that send data to the drive.
bool SendsData(std::uint8_t opcode) {
  switch (opcode) {
    case 0x04:  // FORMAT UNIT
    case 0x07:  // REASSIGN BLOCKS
    case kOpWrite6:
    case 0x15:  // MODE SELECT(6)
    case kOpWrite10:
    case 0x2E:  // WRITE AND VERIFY(10)
    case 0x3B:  // WRITE BUFFER
    case 0x55:  // MODE SELECT(10)
    case 0xAA:  // WRITE(12)
      return true;
    default:
      return false;
  }
}

int DirectionOf(const Srb& srb) {
  if (srb.buffer == nullptr || srb.bufLen == 0) return SG_DXFER_NONE;
  switch (srb.flags & (kSrbDirIn | kSrbDirOut)) {
    case kSrbDirIn:
      return SG_DXFER_FROM_DEV;
    case kSrbDirOut:
      return SG_DXFER_TO_DEV;
    case 0:
      return SendsData(srb.cdb[0]) ? SG_DXFER_TO_DEV : SG_DXFER_FROM_DEV;
    default:
      return SG_DXFER_NONE;
  }
}

}  // namespace

}  // namespace tarvo
