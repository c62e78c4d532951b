// The SCSI command layer: the only code that builds request blocks and CDBs.
//
// Each operation zeroes one request block, fills it, sends it through the
// SCSI manager port, polls until the status is no longer pending and
// returns the ASPI status byte (1 success, 4 completed with error) unless
// stated otherwise. Sense data is requested but not examined.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace tarvo {

struct Engine;
struct SectorRequest;

// Starts the SCSI manager. Returns the number of host adapters; a manager
// that does not answer ends the run ("Error initializing the ASPI manager.").
std::uint8_t AspiStartup(Engine& ctx);
// Copies the adapter's manager name (zero-filled, at most 16 characters) and
// returns its adapter count; 0 means no adapter with that number.
std::uint8_t HostAdapterInquiry(Engine& ctx, std::uint8_t adapter, std::array<char, 16>& managerName);
// The peripheral device type, or 0xFFFF when there is no device.
std::uint16_t GetDeviceType(Engine& ctx, std::uint8_t adapter, std::uint8_t target);
std::uint8_t ResetDevice(Engine& ctx, std::uint8_t adapter, std::uint8_t target);
// A read when the request's command is 8, a write otherwise; the buffer
// length is sectorCount x the medium's sector size. READ(6)/WRITE(6) while
// the whole run lies below sector 2^21, as older drives expect; from there
// on READ(10)/WRITE(10), whose 32-bit address nothing truncates.
std::uint8_t ScsiReadWrite(Engine& ctx, SectorRequest& request);
std::uint8_t ScsiInquiry(Engine& ctx, std::uint8_t adapter, std::uint8_t target, std::span<std::uint8_t, 100> buffer);
// INQUIRY of a vital product data page (EVPD), at most 255 bytes of it.
// Zeroes the buffer first.
std::uint8_t ScsiInquiryPage(Engine& ctx, std::uint8_t adapter, std::uint8_t target, std::uint8_t page,
                             std::span<std::uint8_t, 255> buffer);
// Zeroes the first 12 bytes of the buffer (at least 512 bytes) first.
std::uint8_t ScsiReadCapacity(Engine& ctx, std::uint8_t adapter, std::uint8_t target, std::span<std::uint8_t> buffer);
// The last block READ CAPACITY reports; none when the command fails.
std::optional<std::uint32_t> ScsiLastBlock(Engine& ctx, std::uint8_t adapter, std::uint8_t target);
// Whether VERIFY (10) found an error in the blocks: only a command that
// completed with an error did; one that did not complete tells nothing.
enum class VerifyReport { kNoError, kBlockError };
VerifyReport ScsiVerify10(Engine& ctx, std::uint8_t adapter, std::uint8_t target, std::uint32_t firstBlock,
                          std::uint16_t blockCount);
// SYNCHRONIZE CACHE (10) of the whole medium: what the drive holds in its
// cache reaches the medium. kStart sets IMMED: the drive answers at once
// and writes back meanwhile. A drive without the command (ILLEGAL REQUEST)
// has no cache to write back.
enum class CacheSync { kSynced, kNoCache, kFailed };
enum class CacheSyncWait { kUntilWritten, kStart };
CacheSync ScsiSynchronizeCache10(Engine& ctx, std::uint8_t adapter, std::uint8_t target,
                                 CacheSyncWait wait = CacheSyncWait::kUntilWritten);
// Waits ShortPause before polling and again after the command completed.
std::uint8_t ScsiPreventAllow(Engine& ctx, std::uint8_t adapter, std::uint8_t target, std::uint8_t prevent);
// A pause of 0.15 s.
void ShortPause();

}  // namespace tarvo
