#include "device/scsi_commands.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "base/big_endian.h"
#include "base/engine.h"
#include "device/cdb_fields.h"
#include "device/sector_io.h"

namespace tarvo {

namespace {

constexpr std::uint8_t kSenseLength = 20;

// Sends the request block and waits until it is no longer pending.
std::uint8_t SubmitAndWait(Engine& ctx, Srb& srb) {
  ctx.scsi->SendCommand(srb);
  while (srb.status == kSsPending) ctx.scsi->Poll(srb);
  return srb.status;
}

Srb ExecRequest(std::uint8_t adapter, std::uint8_t target, std::uint8_t flags, std::uint8_t cdbLen) {
  Srb srb;
  srb.command = SrbCommand::kExecScsiCmd;
  srb.haId = adapter;
  srb.target = target;
  srb.flags = flags;
  srb.cdbLen = cdbLen;
  return srb;
}

}  // namespace

std::uint8_t AspiStartup(Engine& ctx) {
  std::uint32_t info = ctx.scsi->GetSupportInfo();
  if (((info >> 8) & 0xFF) != kSsComp) {
    ShowMessageBox(ctx, ctx.messages[kMsgAspiInit], Buttons::kOk);
    throw FatalExit(ctx.messages[kMsgAspiInit]);
  }
  return static_cast<std::uint8_t>(info & 0xFF);
}

std::uint8_t HostAdapterInquiry(Engine& ctx, std::uint8_t adapter, std::array<char, 16>& managerName) {
  Srb srb;
  srb.command = SrbCommand::kHaInquiry;
  srb.haId = adapter;
  SubmitAndWait(ctx, srb);
  managerName.fill(0);
  for (std::size_t i = 0; i < managerName.size() && srb.managerId[i] != 0; ++i) managerName[i] = srb.managerId[i];
  return srb.haCount;
}

std::uint16_t GetDeviceType(Engine& ctx, std::uint8_t adapter, std::uint8_t target) {
  Srb srb;
  srb.command = SrbCommand::kGetDeviceType;
  srb.haId = adapter;
  srb.target = target;
  if (SubmitAndWait(ctx, srb) != kSsComp) return 0xFFFF;
  return srb.deviceType;
}

std::uint8_t ResetDevice(Engine& ctx, std::uint8_t adapter, std::uint8_t target) {
  Srb srb;
  srb.command = SrbCommand::kBusDeviceReset;
  srb.haId = adapter;
  srb.target = target;
  return SubmitAndWait(ctx, srb);
}

std::uint8_t ScsiReadWrite(Engine& ctx, SectorRequest& request) {
  const bool read = request.command == kScsiRead6;
  const bool short6 = std::uint64_t{request.startSector} + request.sectorCount <= kCdb6BlockLimit;
  Srb srb = ExecRequest(static_cast<std::uint8_t>(request.hostAdapter), static_cast<std::uint8_t>(request.target),
                        read ? kSrbDirIn : kSrbDirOut, short6 ? 6 : 10);
  std::uint32_t length = std::uint32_t{request.sectorCount} * ctx.volume.sectorSize;
  // Never let the drive move more than the caller's buffer holds.
  if (length > request.buffer.size()) return kSsErr;
  srb.bufLen = length;
  srb.buffer = request.buffer.data();
  srb.senseLen = kSenseLength;
  if (short6) {
    srb.cdb[0] = read ? kOpRead6 : kOpWrite6;
    srb.cdb[1] = static_cast<std::uint8_t>(request.startSector >> 16);
    srb.cdb[2] = static_cast<std::uint8_t>(request.startSector >> 8);
    srb.cdb[3] = static_cast<std::uint8_t>(request.startSector);
    srb.cdb[4] = static_cast<std::uint8_t>(request.sectorCount);  // 256 is sent as 0
  } else {
    srb.cdb[0] = read ? kOpRead10 : kOpWrite10;
    PutU32(srb.cdb, 2, request.startSector);
    PutU16(srb.cdb, 7, request.sectorCount);
  }
  return SubmitAndWait(ctx, srb);
}

std::uint8_t ScsiInquiry(Engine& ctx, std::uint8_t adapter, std::uint8_t target, std::span<std::uint8_t, 100> buffer) {
  Srb srb = ExecRequest(adapter, target, 0, 6);
  srb.bufLen = 100;
  srb.buffer = buffer.data();
  srb.cdb[0] = 0x12;
  srb.cdb[4] = 100;
  return SubmitAndWait(ctx, srb);
}

std::uint8_t ScsiInquiryPage(Engine& ctx, std::uint8_t adapter, std::uint8_t target, std::uint8_t page,
                             std::span<std::uint8_t, 255> buffer) {
  std::fill(buffer.begin(), buffer.end(), 0);
  Srb srb = ExecRequest(adapter, target, kSrbDirIn, 6);
  srb.bufLen = static_cast<std::uint32_t>(buffer.size());
  srb.buffer = buffer.data();
  srb.senseLen = kSenseLength;
  srb.cdb[0] = kOpInquiry;
  srb.cdb[1] = 0x01;  // EVPD
  srb.cdb[2] = page;
  srb.cdb[4] = static_cast<std::uint8_t>(buffer.size());
  return SubmitAndWait(ctx, srb);
}

std::uint8_t ScsiReadCapacity(Engine& ctx, std::uint8_t adapter, std::uint8_t target, std::span<std::uint8_t> buffer) {
  if (buffer.size() < 512) return kSsErr;
  std::fill_n(buffer.begin(), 12, 0);
  Srb srb = ExecRequest(adapter, target, 0, 10);
  srb.bufLen = 512;
  srb.buffer = buffer.data();
  srb.senseLen = kSenseLength;
  srb.cdb[0] = 0x25;
  return SubmitAndWait(ctx, srb);
}

std::optional<std::uint32_t> ScsiLastBlock(Engine& ctx, std::uint8_t adapter, std::uint8_t target) {
  std::vector<std::uint8_t> reply(512);
  if (ScsiReadCapacity(ctx, adapter, target, reply) != kSsComp) return std::nullopt;
  return GetU32(reply, 0);
}

VerifyReport ScsiVerify10(Engine& ctx, std::uint8_t adapter, std::uint8_t target, std::uint32_t firstBlock,
                          std::uint16_t blockCount) {
  Srb srb = ExecRequest(adapter, target, 0, 10);
  srb.senseLen = kSenseLength;
  srb.cdb[0] = 0x2F;
  PutU32(srb.cdb, 2, firstBlock);
  PutU16(srb.cdb, 7, blockCount);
  return SubmitAndWait(ctx, srb) == kSsErr ? VerifyReport::kBlockError : VerifyReport::kNoError;
}

CacheSync ScsiSynchronizeCache10(Engine& ctx, std::uint8_t adapter, std::uint8_t target, CacheSyncWait wait) {
  Srb srb = ExecRequest(adapter, target, 0, 10);
  srb.senseLen = kSenseLength;
  srb.cdb[0] = kOpSynchronizeCache10;
  if (wait == CacheSyncWait::kStart) srb.cdb[1] = kSynchronizeImmediate;
  if (SubmitAndWait(ctx, srb) == kSsComp) return CacheSync::kSynced;
  const bool illegal = srb.senseLen > 2 && (srb.sense[2] & 0x0F) == kSenseIllegalRequest;
  return illegal ? CacheSync::kNoCache : CacheSync::kFailed;
}

std::uint8_t ScsiPreventAllow(Engine& ctx, std::uint8_t adapter, std::uint8_t target, std::uint8_t prevent) {
  Srb srb = ExecRequest(adapter, target, 0, 6);
  srb.cdb[0] = 0x1E;
  srb.cdb[4] = prevent;
  ctx.scsi->SendCommand(srb);
  ShortPause();
  while (srb.status == kSsPending) ctx.scsi->Poll(srb);
  ShortPause();
  return srb.status;
}

void ShortPause() { std::this_thread::sleep_for(std::chrono::milliseconds(150)); }

}  // namespace tarvo
