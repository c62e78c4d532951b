#include "support/fake_scsi_bus.h"

#include <algorithm>
#include <span>

#include "base/big_endian.h"

namespace tarvo::testing {

namespace {

// Space-padded, as drives report their identification.
void PutField(std::span<std::uint8_t> data, std::size_t offset, std::size_t length, const std::string& text) {
  for (std::size_t i = 0; i < length && offset + i < data.size(); ++i)
    data[offset + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : ' ';
}

}  // namespace

std::uint32_t FakeScsiBus::GetSupportInfo() {
  return std::uint32_t{supportStatus} << 8 | static_cast<std::uint8_t>(adapters.size());
}

void FakeScsiBus::SendCommand(Srb& srb) {
  sent.push_back(srb);
  switch (srb.command) {
    case SrbCommand::kHaInquiry:
      if (srb.haId >= adapters.size()) {
        srb.status = kSsInvalidHa;
        return;
      }
      srb.haCount = static_cast<std::uint8_t>(adapters.size());
      std::copy_n(adapters[srb.haId].managerName.begin(),
                  std::min(adapters[srb.haId].managerName.size(), srb.managerId.size()), srb.managerId.begin());
      srb.status = kSsComp;
      return;
    case SrbCommand::kGetDeviceType:
      if (FakeDrive* drive = Find(srb)) {
        srb.deviceType = drive->deviceType;
        srb.status = kSsComp;
      } else {
        srb.status = kSsNoDevice;
      }
      return;
    case SrbCommand::kExecScsiCmd:
      if (FakeDrive* drive = Find(srb)) Execute(srb, *drive);
      else srb.status = kSsNoDevice;
      return;
    case SrbCommand::kBusDeviceReset:
      srb.status = Find(srb) ? kSsComp : kSsNoDevice;
      return;
  }
}

int FakeScsiBus::Count(SrbCommand command, int opcode) const {
  return static_cast<int>(std::count_if(sent.begin(), sent.end(), [&](const Srb& s) {
    return s.command == command && (opcode < 0 || s.cdb[0] == opcode);
  }));
}

FakeDrive* FakeScsiBus::Find(const Srb& srb) {
  if (srb.haId >= adapters.size()) return nullptr;
  auto& targets = adapters[srb.haId].targets;
  auto it = targets.find(srb.target);
  return it == targets.end() ? nullptr : &it->second;
}

void FakeScsiBus::Execute(Srb& srb, FakeDrive& drive) {
  std::span<std::uint8_t> data(srb.buffer, srb.buffer ? srb.bufLen : 0);
  switch (srb.cdb[0]) {
    case kOpInquiry:
      PutField(data, 0, 1, std::string(1, static_cast<char>(drive.deviceType)));
      PutField(data, 8, 8, drive.vendor);
      PutField(data, 16, 16, drive.product);
      PutField(data, 32, 4, drive.revision);
      if (drive.inquiryFailures > 0) {
        --drive.inquiryFailures;
        FailWithSense(srb, kSenseNotReady, 0x04);
      } else {
        srb.status = kSsComp;
      }
      return;
    case kOpReadCapacity:
      if (drive.capacityFailures > 0) {
        --drive.capacityFailures;
        FailWithSense(srb, kSenseNotReady, 0x3A);  // medium not present
        return;
      }
      PutU32(data, 0, drive.lastBlock);
      PutU32(data, 4, drive.blockLength);
      srb.status = kSsComp;
      return;
    default:
      FailWithSense(srb, kSenseIllegalRequest, 0x20);
  }
}

}  // namespace tarvo::testing
