// Request blocks as the SCSI command layer fills them, for tests of the
// SCSI manager backends.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "device/scsi_manager.h"

namespace tarvo::testing {

Srb HaInquirySrb(std::uint8_t haId);
Srb DeviceTypeSrb(std::uint8_t haId, std::uint8_t target);
Srb ResetSrb(std::uint8_t haId, std::uint8_t target);
// READ(6) (write = false) or WRITE(6): the buffer's whole length is SRB_BufLen.
Srb ReadWrite6Srb(std::uint8_t haId, std::uint8_t target, bool write, std::uint32_t block, std::uint16_t count,
                  std::span<std::uint8_t> buffer);
Srb InquirySrb(std::uint8_t haId, std::uint8_t target, std::span<std::uint8_t> buffer);
Srb ReadCapacitySrb(std::uint8_t haId, std::uint8_t target, std::span<std::uint8_t> buffer);
Srb Verify10Srb(std::uint8_t haId, std::uint8_t target, std::uint32_t block, std::uint16_t count);
Srb ExecSrb(std::uint8_t haId, std::uint8_t target, std::vector<std::uint8_t> cdb);

// Sends the request and polls it until it is no longer pending (at most
// 1000 polls); returns the status.
std::uint8_t SendAndWait(ScsiManager& manager, Srb& srb);
// The sense key of a request that failed with CHECK CONDITION.
inline std::uint8_t SenseKey(const Srb& srb) { return srb.sense[2] & 0x0F; }
inline std::uint8_t SenseCode(const Srb& srb) { return srb.sense[12]; }

}  // namespace tarvo::testing
