// The SCSI operation codes our backends understand and the decoding of
// their block ranges from a request block's CDB.
//
// READ(6)/WRITE(6) address 21 bits (the low 5 bits of byte 1, then bytes
// 2 and 3) and move 1..256 blocks (a length byte of 0 means 256).
// READ(10)/WRITE(10)/VERIFY(10) address 32 bits (bytes 2..5) and move
// 0..65535 blocks (bytes 7..8).
#pragma once

#include <cstdint>

#include "base/big_endian.h"
#include "device/scsi_manager.h"

namespace tarvo {

inline constexpr std::uint8_t kOpTestUnitReady = 0x00;
inline constexpr std::uint8_t kOpRead6 = 0x08;
inline constexpr std::uint8_t kOpWrite6 = 0x0A;
inline constexpr std::uint8_t kOpInquiry = 0x12;
inline constexpr std::uint8_t kOpPreventAllow = 0x1E;
inline constexpr std::uint8_t kOpReadCapacity = 0x25;
inline constexpr std::uint8_t kOpRead10 = 0x28;
inline constexpr std::uint8_t kOpWrite10 = 0x2A;
inline constexpr std::uint8_t kOpVerify10 = 0x2F;
inline constexpr std::uint8_t kOpSynchronizeCache10 = 0x35;
inline constexpr std::uint8_t kSynchronizeImmediate = 0x02;  // IMMED, CDB byte 1

// Additional sense codes the backends report.
inline constexpr std::uint8_t kAscNotReady = 0x04;
inline constexpr std::uint8_t kAscWriteError = 0x0C;
inline constexpr std::uint8_t kAscUnrecoveredReadError = 0x11;
inline constexpr std::uint8_t kAscInvalidOpcode = 0x20;
inline constexpr std::uint8_t kAscLbaOutOfRange = 0x21;
inline constexpr std::uint8_t kAscInvalidFieldInCdb = 0x24;
inline constexpr std::uint8_t kAscWriteProtected = 0x27;

struct BlockRange {
  std::uint32_t first = 0;
  std::uint32_t count = 0;
  // Whether any block of the range is `block`.
  bool Touches(std::uint32_t block) const { return block >= first && block - first < count; }
};

inline BlockRange DecodeReadWrite6(const Srb& srb) {
  const std::uint32_t first = std::uint32_t{srb.cdb[1] & 0x1Fu} << 16 | GetU16(srb.cdb, 2);
  const std::uint32_t count = srb.cdb[4] == 0 ? 256 : srb.cdb[4];
  return {first, count};
}

inline BlockRange DecodeCdb10(const Srb& srb) { return {GetU32(srb.cdb, 2), GetU16(srb.cdb, 7)}; }

// The first block READ(6)/WRITE(6) cannot address.
inline constexpr std::uint32_t kCdb6BlockLimit = std::uint32_t{1} << 21;

// Whether the request block reads sectors: READ(6) or READ(10).
inline bool IsRead(const Srb& srb) { return srb.cdb[0] == kOpRead6 || srb.cdb[0] == kOpRead10; }
// Whether the request block writes sectors: WRITE(6) or WRITE(10).
inline bool IsWrite(const Srb& srb) { return srb.cdb[0] == kOpWrite6 || srb.cdb[0] == kOpWrite10; }

// The blocks a READ, WRITE or VERIFY request addresses, in either CDB form.
inline BlockRange DecodeBlockRange(const Srb& srb) {
  return srb.cdb[0] == kOpRead6 || srb.cdb[0] == kOpWrite6 ? DecodeReadWrite6(srb) : DecodeCdb10(srb);
}

// The CDB length of one of the operations above (group 0: 6 bytes, group 1: 10).
inline std::uint8_t CdbLengthOf(std::uint8_t opcode) { return opcode < 0x20 ? 6 : 10; }

}  // namespace tarvo
