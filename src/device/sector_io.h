// Sector access: the one request record, the two entry points, the retry
// rule and the bulk transfers between the medium and PC files.
//
// Sector numbers count 512-byte logical sectors from the start of the
// medium (see device_state.h). Allocation block b starts at sector
// volumeOrigin + b * sectorsPerBlock. Sector numbers are 32 bits wide: a
// request or bulk transfer that would reach past sector 2^32 - 1 is refused
// with "The volume reaches past the last sector a SCSI command can
// address; ..." (kTextSectorPastAddresses) and moves nothing; no sector
// number is ever wrapped.
#pragma once

#include <bitset>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <span>
#include <vector>

namespace tarvo {

struct Engine;

inline constexpr std::uint16_t kReadSectors = 2;
inline constexpr std::uint16_t kWriteSectors = 3;
inline constexpr std::uint16_t kScsiRead6 = 8;
inline constexpr std::uint16_t kScsiWrite6 = 10;
inline constexpr int kTransferAttempts = 20;

struct SectorRequest {
  std::uint16_t command = kReadSectors;  // 2 read, 3 write; 8 SCSI read, 10 SCSI write (scsi_commands.h)
  std::uint16_t hostAdapter = 0;         // overwritten with hostAdapterId
  std::uint16_t target = 0;
  std::uint32_t startSector = 0;
  std::uint16_t sectorCount = 0;  // 1..256
  // Caller-owned. On 1024-byte media it holds sectorCount * 1024 + 512 bytes.
  std::span<std::uint8_t> buffer;
};

// What one request met. The SCSI status word stays below this layer: the
// entry points retry, and a caller only learns whether the sectors moved.
enum class SectorResult { kDone, kFailed };

// What a bulk transfer met. A sector that could not be read is written to
// the PC file as zeros.
struct TransferResult {
  // Read: sectors that could not be read even alone; write: the sectors of
  // the requests that failed after all attempts.
  std::uint32_t failedSectors = 0;
  std::uint32_t lostBytes = 0;  // read: bytes of the byte count written as zeros
  bool fileError = false;           // the PC file could not be read or written
  bool ok() const { return failedSectors == 0 && !fileError; }
};

inline constexpr std::size_t kMaxRequestSectors = 256;
// The sectors of a run that could not be read: bit i stands for the run's
// sector i.
using UnreadableSectors = std::bitset<kMaxRequestSectors>;

// n zero-filled bytes; n = 0 or no memory ends the run through FatalError.
std::vector<std::uint8_t> AllocZeroed(Engine& ctx, std::size_t n);

// kDone when the request went through within 20 attempts. Dispatches to the
// entry point that serves the medium; while an update is open, through it
// (sector_undo.h).
SectorResult SectorEntry(Engine& ctx, SectorRequest& request);
// The entry point that serves the medium, past any open update; a request
// past the 32-bit sector numbers fails.
SectorResult SendToMedium(Engine& ctx, SectorRequest& request);
// Whether count sectors from `first` on reach past sector 2^32 - 1; if so
// the user has been told, and the caller moves none of them.
bool RefusedPastSectorNumbers(Engine& ctx, std::uint64_t first, std::uint64_t count);
// Splits an ascending list of sectors into runs of consecutive sectors, of
// at most transferSectors each, and calls visit(begin, end) with the index
// range of each run in the list, in order.
void ForEachSectorRun(const Engine& ctx, std::span<const std::uint32_t> sectors,
                      const std::function<void(std::size_t begin, std::size_t end)>& visit);
// Moves count sectors (1..256) from `first` on between the medium and the
// first count * 512 bytes of the buffer with one request to SendToMedium;
// the buffer grows to leave room for the 1024-byte entry point.
SectorResult TransferSectors(Engine& ctx, std::uint16_t command, std::uint32_t first, std::uint16_t count,
                              std::vector<std::uint8_t>& buffer);
SectorResult SendSectorRequest(Engine& ctx, SectorRequest& request);
SectorResult SendSectorRequest1024(Engine& ctx, SectorRequest& request);

// Reads count (1..256) sectors from `first` into the start of the buffer
// with one request. When it fails, the run is read again one sector at a
// time, so that only the sectors that fail alone are lost: their bytes are
// zeros, and the wait cursor advances after each.
UnreadableSectors ReadSectorRun(Engine& ctx, std::uint32_t first, std::uint16_t count, std::span<std::uint8_t> buffer);

// Copies byteCount bytes of the volume from allocation block firstBlock to
// the PC file at its current position, in runs read by ReadSectorRun; a
// run that loses sectors sounds the beep.
// A transfer of more than five runs shows the progress bar before each run
// and, the whole transfer done, full; so does WriteBlocksFromFile.
TransferResult ReadBlocksToFile(Engine& ctx, std::FILE* file, std::uint32_t firstBlock, std::uint32_t byteCount);
// Writes blockCount allocation blocks from firstBlock on: the next
// byteCount bytes of the PC file (from its current position; never more
// than the blocks hold), then zeros. Reading no further than byteCount
// spares the read that would only find the end of the file. Bulk transfers
// past the 32-bit sector numbers count all their sectors as failed.
TransferResult WriteBlocksFromFile(Engine& ctx, std::FILE* file, std::uint32_t firstBlock, std::uint32_t blockCount,
                                   std::uint64_t byteCount);
// Zeroes the sectors from 0 on in groups of 64 until n are covered.
TransferResult ClearLeadingSectors(Engine& ctx, std::int32_t n);

}  // namespace tarvo
