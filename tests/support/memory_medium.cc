#include "support/memory_medium.h"

#include <algorithm>

namespace tarvo::testing {

void MemoryMedium::SendCommand(Srb& srb) {
  if (srb.command == SrbCommand::kBusDeviceReset) {
    srb.status = kSsComp;
    return;
  }
  if (srb.command != SrbCommand::kExecScsiCmd || srb.haId != 0 || srb.target != 0) {
    srb.status = kSsNoDevice;
    return;
  }
  const std::uint8_t opcode = srb.cdb[0];
  if (opcode != 0x08 && opcode != 0x0A) return FailWithSense(srb, kSenseIllegalRequest, 0x20);
  const std::uint32_t first = std::uint32_t{srb.cdb[1] & 0x1Fu} << 16 | std::uint32_t{srb.cdb[2]} << 8 | srb.cdb[3];
  const std::uint32_t count = srb.cdb[4] == 0 ? 256 : srb.cdb[4];
  if (opcode == 0x08) reads.push_back({first, count});
  const std::uint64_t begin = std::uint64_t{first} * blockSize;
  const std::uint64_t length = std::uint64_t{count} * blockSize;
  if (begin + length > bytes.size() || length > srb.bufLen) return FailWithSense(srb, kSenseIllegalRequest, 0x21);
  if (opcode == 0x08) std::copy_n(bytes.begin() + begin, length, srb.buffer);
  else std::copy_n(srb.buffer, length, bytes.begin() + begin);
  srb.status = kSsComp;
}

void AttachMedium(Context& ctx, MemoryMedium& medium) {
  ctx.scsi = &medium;
  ctx.device.hostAdapterId = 0;
  ctx.volume.adapterKind = AdapterKind::kAspi;
  ctx.volume.targetId = 0;
  ctx.volume.sectorSize = medium.blockSize;
  ctx.device.sectorEntry = medium.blockSize == 1024 ? SectorEntryKind::k1024 : SectorEntryKind::k512;
}

}  // namespace tarvo::testing
