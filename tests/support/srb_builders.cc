#include "support/srb_builders.h"

#include <stdexcept>

#include "base/big_endian.h"

namespace tarvo::testing {

namespace {

Srb Addressed(SrbCommand command, std::uint8_t haId, std::uint8_t target) {
  Srb srb;
  srb.command = command;
  srb.haId = haId;
  srb.target = target;
  return srb;
}

}  // namespace

Srb HaInquirySrb(std::uint8_t haId) { return Addressed(SrbCommand::kHaInquiry, haId, 0); }
Srb DeviceTypeSrb(std::uint8_t haId, std::uint8_t target) {
  return Addressed(SrbCommand::kGetDeviceType, haId, target);
}
Srb ResetSrb(std::uint8_t haId, std::uint8_t target) { return Addressed(SrbCommand::kBusDeviceReset, haId, target); }

Srb ExecSrb(std::uint8_t haId, std::uint8_t target, std::vector<std::uint8_t> cdb) {
  Srb srb = Addressed(SrbCommand::kExecScsiCmd, haId, target);
  srb.cdbLen = static_cast<std::uint8_t>(cdb.size());
  std::copy(cdb.begin(), cdb.end(), srb.cdb.begin());
  srb.senseLen = 20;
  return srb;
}

Srb ReadWrite6Srb(std::uint8_t haId, std::uint8_t target, bool write, std::uint32_t block, std::uint16_t count,
                  std::span<std::uint8_t> buffer) {
  Srb srb = ExecSrb(haId, target,
                    {static_cast<std::uint8_t>(write ? 0x0A : 0x08), static_cast<std::uint8_t>(block >> 16),
                     static_cast<std::uint8_t>(block >> 8), static_cast<std::uint8_t>(block),
                     static_cast<std::uint8_t>(count), 0});
  srb.flags = write ? kSrbDirOut : kSrbDirIn;
  srb.buffer = buffer.data();
  srb.bufLen = static_cast<std::uint32_t>(buffer.size());
  return srb;
}

Srb InquirySrb(std::uint8_t haId, std::uint8_t target, std::span<std::uint8_t> buffer) {
  Srb srb = ExecSrb(haId, target, {0x12, 0, 0, 0, 100, 0});
  srb.senseLen = 0;
  srb.buffer = buffer.data();
  srb.bufLen = static_cast<std::uint32_t>(buffer.size());
  return srb;
}

Srb ReadCapacitySrb(std::uint8_t haId, std::uint8_t target, std::span<std::uint8_t> buffer) {
  Srb srb = ExecSrb(haId, target, {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  srb.buffer = buffer.data();
  srb.bufLen = static_cast<std::uint32_t>(buffer.size());
  return srb;
}

Srb Verify10Srb(std::uint8_t haId, std::uint8_t target, std::uint32_t block, std::uint16_t count) {
  Srb srb = ExecSrb(haId, target, {0x2F, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  PutU32(srb.cdb, 2, block);
  PutU16(srb.cdb, 7, count);
  return srb;
}

std::uint8_t SendAndWait(ScsiManager& manager, Srb& srb) {
  manager.SendCommand(srb);
  for (int poll = 0; poll < 1000 && srb.status == kSsPending; ++poll) manager.Poll(srb);
  return srb.status;
}

}  // namespace tarvo::testing
