#include "device/sector_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "base/big_endian.h"
#include "base/engine.h"
#include "base/whole_io.h"
#include "device/scsi_commands.h"
#include "device/scsi_manager.h"
#include "device/sector_undo.h"

namespace tarvo {

namespace {

// One past the last sector number a SCSI command carries.
constexpr std::uint64_t kSectorNumberEnd = std::uint64_t{1} << 32;

// 64 bits wide, so that a block past the 32-bit sector numbers is seen
// rather than wrapped.
std::uint64_t BlockSector(const VolumeState& v, std::uint32_t block) {
  return static_cast<std::uint64_t>(v.volumeOrigin) + std::uint64_t{block} * v.sectorsPerBlock;
}

// Every sector of a refused bulk transfer failed.
TransferResult Unaddressable(std::uint64_t sectors) {
  TransferResult result;
  result.failedSectors = static_cast<std::uint32_t>(std::min<std::uint64_t>(sectors, UINT32_MAX));
  return result;
}

void TurnIntoScsiCommand(SectorRequest& request) {
  if (request.command == kReadSectors) request.command = kScsiRead6;
  else if (request.command == kWriteSectors) request.command = kScsiWrite6;
}

// The bytes of the unreadable sectors among the first `used` of the run.
std::uint32_t LostBytes(const UnreadableSectors& unreadable, std::size_t used) {
  std::uint32_t lost = 0;
  for (std::size_t i = 0; i < unreadable.size() && i * 512 < used; ++i) {
    if (unreadable.test(i)) lost += static_cast<std::uint32_t>(std::min<std::size_t>(512, used - i * 512));
  }
  return lost;
}

bool ShowsProgress(const Engine& ctx, std::uint64_t sectors) {
  return sectors > 5u * ctx.volume.transferSectors;
}

// The buffer of a bulk transfer: one request's worth, or less when the
// whole transfer is shorter (a small file needs no 32 KB cleared), but
// never nothing.
std::size_t ChunkBytes(const Engine& ctx, std::uint32_t sectors) {
  return std::size_t{std::clamp<std::uint32_t>(sectors, 1, ctx.volume.transferSectors)} * 512;
}

// Writes the chunks of a transfer to the PC file. A transfer of more than
// one chunk leaves the stream's buffer aside: the stream is flushed and
// each chunk goes to its descriptor with one system call, where a buffered
// stream would split it (POSIX lets a stream and its descriptor take turns
// this way). When the transfer starts at the end of a regular file, whole
// chunks of zeros are left as a hole that Finish makes part of the file:
// it reads back the same zeros. A stream without a descriptor is written as
// a stream.
class RunWriter {
 public:
  RunWriter(std::FILE* file, bool manyChunks) : file_(file) {
    if (!manyChunks || std::fflush(file) != 0 || (fd_ = fileno(file)) < 0) return;
    struct stat info {};
    const off_t at = ::lseek(fd_, 0, SEEK_CUR);
    const int flags = ::fcntl(fd_, F_GETFL);
    sparse_ = at >= 0 && flags >= 0 && (flags & O_APPEND) == 0 && ::fstat(fd_, &info) == 0 &&
              S_ISREG(info.st_mode) && info.st_size == at;
  }

  bool Write(ConstBytes bytes) {
    if (fd_ < 0) return std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
    // Every byte equals the next and the first is zero (memcmp is fast).
    if (sparse_ && !bytes.empty() && bytes[0] == 0 && std::memcmp(bytes.data(), bytes.data() + 1, bytes.size() - 1) == 0) {
      hole_ += static_cast<off_t>(bytes.size());
      return true;
    }
    return PassHole() && WriteWhole(fd_, bytes).end == IoEnd::kWhole;
  }

  // A hole left at the end becomes part of the file.
  bool Finish() {
    if (hole_ == 0) return true;
    const off_t end = ::lseek(fd_, hole_, SEEK_CUR);
    hole_ = 0;
    return end >= 0 && ::ftruncate(fd_, end) == 0;
  }

 private:
  bool PassHole() {
    if (hole_ == 0) return true;
    const bool passed = ::lseek(fd_, hole_, SEEK_CUR) >= 0;
    hole_ = 0;
    return passed;
  }

  std::FILE* file_;
  int fd_ = -1;
  bool sparse_ = false;
  off_t hole_ = 0;  // zeros not yet written, ahead of the descriptor's position
};

// The bytes of a bulk write, one request's worth at a time: fills the
// start of `chunk` with the next bytes and returns how many; the rest of
// the chunk is written as zeros. Sets `failed` when its bytes could not be
// read.
using ChunkSource = std::function<std::size_t(std::span<std::uint8_t> chunk, bool& failed)>;
TransferResult WriteBlocksFromSource(Engine& ctx, const ChunkSource& source, std::uint32_t firstBlock,
                                     std::uint32_t blockCount);

}  // namespace

std::vector<std::uint8_t> AllocZeroed(Engine& ctx, std::size_t n) {
  if (n == 0) FatalError(ctx, kTextZeroAllocation);
  try {
    return std::vector<std::uint8_t>(n);  // value-initialised: zeros, set in one sweep
  } catch (const std::bad_alloc&) {
    FatalError(ctx, kTextNoMemory);
  }
}

// While an update is open (sector_undo.h), a write is staged and a read
// sees what is staged.
SectorResult SectorEntry(Engine& ctx, SectorRequest& request) {
  SectorUndo* update = ctx.device.undo;
  if (update == nullptr) return SendToMedium(ctx, request);
  if (request.command == kWriteSectors || request.command == kScsiWrite6) return StageWrite(ctx, *update, request);
  const SectorRequest asked = request;  // the entry points may change the request
  const SectorResult result = SendToMedium(ctx, request);
  if (result == SectorResult::kDone) ShowStaged(*update, asked);
  return result;
}

bool RefusedPastSectorNumbers(Engine& ctx, std::uint64_t first, std::uint64_t count) {
  if (first + count <= kSectorNumberEnd) return false;
  MessageDialog(ctx, kTextSectorPastAddresses);
  return true;
}

SectorResult SendToMedium(Engine& ctx, SectorRequest& request) {
  if (RefusedPastSectorNumbers(ctx, request.startSector, request.sectorCount)) return SectorResult::kFailed;
  return ctx.device.sectorEntry == SectorEntryKind::k1024 ? SendSectorRequest1024(ctx, request)
                                                          : SendSectorRequest(ctx, request);
}

void ForEachSectorRun(const Engine& ctx, std::span<const std::uint32_t> sectors,
                      const std::function<void(std::size_t begin, std::size_t end)>& visit) {
  const std::size_t most = std::max<std::size_t>(1, ctx.volume.transferSectors);
  for (std::size_t begin = 0, end = 0; begin < sectors.size(); begin = end) {
    end = begin + 1;
    while (end < sectors.size() && end - begin < most && sectors[end] == sectors[begin] + (end - begin)) ++end;
    visit(begin, end);
  }
}

SectorResult TransferSectors(Engine& ctx, std::uint16_t command, std::uint32_t first, std::uint16_t count,
                              std::vector<std::uint8_t>& buffer) {
  buffer.resize(std::max(buffer.size(), std::size_t{count} * 1024 + 512));
  SectorRequest request;
  request.command = command;
  request.hostAdapter = ctx.device.hostAdapterId;
  request.target = ctx.volume.targetId;
  request.startSector = first;
  request.sectorCount = count;
  request.buffer = buffer;
  return SendToMedium(ctx, request);
}

SectorResult SendSectorRequest(Engine& ctx, SectorRequest& request) {
  request.hostAdapter = ctx.device.hostAdapterId;
  TurnIntoScsiCommand(request);
  std::uint8_t status = kSsErr;
  for (int attempt = 0; attempt < kTransferAttempts; ++attempt) {
    if (ctx.device.resetBeforeTransfer) ResetDevice(ctx, ctx.device.hostAdapterId, ctx.volume.targetId);
    status = ScsiReadWrite(ctx, request);
    if (status == kSsComp) return SectorResult::kDone;
  }
  return SectorResult::kFailed;
}

// Logical 512-byte sectors s .. s+c-1 lie in physical 1024-byte sectors
// s/2 .. (s+c-1)/2. The transfer goes through a buffer of whole physical
// sectors. A write that covers only half of its first or last physical
// sector first reads that sector, so the neighbouring logical sector is
// kept: a write at an odd start keeps the first half, a write that ends
// inside a physical sector keeps the second half.
SectorResult SendSectorRequest1024(Engine& ctx, SectorRequest& request) {
  TurnIntoScsiCommand(request);
  const std::uint32_t s = request.startSector;
  const std::uint16_t c = request.sectorCount;
  const std::size_t bytes = std::size_t{c} * 512;
  if (c == 0 || request.buffer.size() < bytes) return SectorResult::kFailed;
  const std::uint32_t firstPhysical = s / 2;
  const std::uint32_t lastPhysical = (s + c - 1) / 2;
  const auto physicalCount = static_cast<std::uint16_t>(lastPhysical - firstPhysical + 1);
  const std::size_t offset = (s % 2) * 512;
  std::vector<std::uint8_t> physical(std::size_t{physicalCount} * 1024, 0);
  const bool write = request.command == kScsiWrite6;

  auto transfer = [&](std::uint16_t command, std::uint32_t first, std::uint16_t count, std::span<std::uint8_t> into) {
    SectorRequest r;
    r.command = command;
    r.target = request.target;
    r.startSector = first;
    r.sectorCount = count;
    r.buffer = into;
    return SendSectorRequest(ctx, r);
  };

  if (write) {
    if (s % 2 == 1) {
      if (transfer(kScsiRead6, firstPhysical, 1, std::span(physical).first(1024)) != SectorResult::kDone)
        return SectorResult::kFailed;
    }
    if ((s + c) % 2 == 1) {
      if (transfer(kScsiRead6, lastPhysical, 1, std::span(physical).last(1024)) != SectorResult::kDone)
        return SectorResult::kFailed;
    }
    std::memcpy(physical.data() + offset, request.buffer.data(), bytes);
  }
  const SectorResult result = transfer(request.command, firstPhysical, physicalCount, physical);
  if (!write && result == SectorResult::kDone) std::memcpy(request.buffer.data(), physical.data() + offset, bytes);
  return result;
}

UnreadableSectors ReadSectorRun(Engine& ctx, std::uint32_t first, std::uint16_t count,
                                std::span<std::uint8_t> buffer) {
  const auto read = [&ctx](std::uint32_t start, std::uint16_t n, std::span<std::uint8_t> into) {
    SectorRequest request;
    request.command = kScsiRead6;
    request.target = ctx.volume.targetId;
    request.startSector = start;
    request.sectorCount = n;
    request.buffer = into;
    return SectorEntry(ctx, request) == SectorResult::kDone;
  };
  UnreadableSectors unreadable;
  if (read(first, count, buffer)) return unreadable;
  for (std::uint16_t i = 0; i < count; ++i) {
    const std::span<std::uint8_t> one = buffer.subspan(std::size_t{i} * 512, 512);
    if (read(first + i, 1, one)) continue;
    // Zeros, never what an earlier request left there.
    std::fill(one.begin(), one.end(), 0);
    unreadable.set(i);
    AdvanceWaitCursor(ctx);
  }
  return unreadable;
}

TransferResult ReadBlocksToFile(Engine& ctx, std::FILE* file, std::uint32_t firstBlock, std::uint32_t byteCount) {
  const std::uint64_t first = BlockSector(ctx.volume, firstBlock);
  const std::uint32_t total = static_cast<std::uint32_t>((std::uint64_t{byteCount} + 511) / 512);
  if (RefusedPastSectorNumbers(ctx, first, total)) return Unaddressable(total);
  TransferResult result;
  auto sector = static_cast<std::uint32_t>(first);
  std::uint32_t remaining = total;
  const bool progress = ShowsProgress(ctx, remaining);
  std::vector<std::uint8_t> buffer = AllocZeroed(ctx, ChunkBytes(ctx, remaining));
  RunWriter output(file, remaining > ctx.volume.transferSectors);
  while (remaining > 0) {
    AdvanceWaitCursor(ctx);
    const auto count = static_cast<std::uint16_t>(std::min<std::uint32_t>(remaining, ctx.volume.transferSectors));
    if (progress) ShowProgress(ctx, remaining, total);
    const UnreadableSectors unreadable = ReadSectorRun(ctx, sector, count, buffer);
    const std::size_t n = std::min<std::size_t>(std::size_t{count} * 512, byteCount);
    if (unreadable.any()) {
      ctx.ui->Beep();
      result.failedSectors += static_cast<std::uint32_t>(unreadable.count());
      result.lostBytes += LostBytes(unreadable, n);
    }
    if (!output.Write(ConstBytes(buffer).first(n))) {
      result.fileError = true;
      break;
    }
    remaining -= count;
    sector += count;
    byteCount -= static_cast<std::uint32_t>(n);
  }
  // The bar is drawn before each run: once more, full, when all were read.
  if (progress && remaining == 0) ShowProgress(ctx, 0, total);
  if (!output.Finish()) result.fileError = true;
  return result;
}

TransferResult WriteBlocksFromFile(Engine& ctx, std::FILE* file, std::uint32_t firstBlock, std::uint32_t blockCount,
                                   std::uint64_t byteCount) {
  const ChunkSource fromFile = [file, &byteCount](std::span<std::uint8_t> chunk, bool& failed) {
    const auto asked = static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), byteCount));
    const std::size_t got = asked > 0 ? std::fread(chunk.data(), 1, asked, file) : 0;
    byteCount -= got;
    if (got < asked && std::ferror(file)) failed = true;
    return got;
  };
  return WriteBlocksFromSource(ctx, fromFile, firstBlock, blockCount);
}

namespace {

TransferResult WriteBlocksFromSource(Engine& ctx, const ChunkSource& source, std::uint32_t firstBlock,
                                     std::uint32_t blockCount) {
  const std::uint64_t first = BlockSector(ctx.volume, firstBlock);
  const std::uint64_t sectors = std::uint64_t{blockCount} * ctx.volume.sectorsPerBlock;
  if (RefusedPastSectorNumbers(ctx, first, sectors)) return Unaddressable(sectors);
  TransferResult result;
  auto sector = static_cast<std::uint32_t>(first);
  const auto total = static_cast<std::uint32_t>(sectors);
  std::uint32_t remaining = total;
  const bool progress = ShowsProgress(ctx, remaining);
  std::vector<std::uint8_t> buffer = AllocZeroed(ctx, ChunkBytes(ctx, remaining));
  SectorRequest request;
  while (remaining > 0) {
    AdvanceWaitCursor(ctx);
    const auto count = static_cast<std::uint16_t>(std::min<std::uint32_t>(remaining, ctx.volume.transferSectors));
    const std::span<std::uint8_t> chunk(buffer.data(), std::size_t{count} * 512);
    bool failed = false;
    const std::size_t got = std::min(source(chunk, failed), chunk.size());
    if (failed) result.fileError = true;
    // Past the end of the source the blocks are filled with zeros.
    std::fill(chunk.begin() + static_cast<std::ptrdiff_t>(got), chunk.end(), 0);
    request.command = kScsiWrite6;
    request.target = ctx.volume.targetId;
    request.startSector = sector;
    request.sectorCount = count;
    request.buffer = buffer;
    if (progress) ShowProgress(ctx, remaining, total);
    if (SectorEntry(ctx, request) != SectorResult::kDone) result.failedSectors += count;
    remaining -= count;
    sector += count;
  }
  if (progress) ShowProgress(ctx, 0, total);  // the bar full, as for a read
  SetStatus(ctx, std::nullopt);
  return result;
}

}  // namespace

TransferResult ClearLeadingSectors(Engine& ctx, std::int32_t n) {
  TransferResult result;
  std::vector<std::uint8_t> buffer = AllocZeroed(ctx, 64 * 512);
  SetStatus(ctx, ctx.messages[kMsgResettingSectors]);
  const std::int32_t first = n;
  const bool progress = n > 0 && ShowsProgress(ctx, static_cast<std::uint32_t>(n));
  SectorRequest request;
  std::uint32_t sector = 0;
  while (n > 0) {
    AdvanceWaitCursor(ctx);
    if (progress) ShowProgress(ctx, static_cast<unsigned long>(n), static_cast<unsigned long>(first));
    request.command = kScsiWrite6;
    request.target = ctx.volume.targetId;
    request.startSector = sector;
    request.sectorCount = 64;
    request.buffer = buffer;
    if (SectorEntry(ctx, request) != SectorResult::kDone) result.failedSectors += 64;
    sector += 64;
    n -= 64;
  }
  SetStatus(ctx, std::nullopt);
  return result;
}

}  // namespace tarvo
