// Finding the cartridge drives on every host adapter and choosing one.
//
// Only SyQuest cartridge drives are offered: the product identification
// begins with "SQ" or the vendor identification with "SYQ" (either case).
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tarvo {

struct Engine;

inline constexpr std::size_t kDeviceTableRows = 25;
inline constexpr std::uint8_t kEndOfTable = 255;

// A header row per host adapter (target 255, deviceType = rows written for
// the adapter including the header, product = the manager name), followed
// by one row per accepted drive; a row with adapter 255 ends the table.
// The last row always stays the end marker: a bus with more adapters and
// drives than the table holds is scanned only up to that limit.
struct DeviceRow {
  std::uint8_t adapter = kEndOfTable;
  std::uint8_t deviceType = 0;
  std::uint8_t target = 0;
  std::string vendor;    // at most 8 characters
  std::string product;   // at most 16 characters
  std::string revision;  // at most 4 characters
};
using DeviceTable = std::array<DeviceRow, kDeviceTableRows>;

// High byte: host adapters scanned; low byte: drives accepted.
std::uint16_t ScanBus(Engine& ctx, DeviceTable& table);
// A drive given on the command line (/A): the pair answers INQUIRY (status
// 1 or 4) as a direct-access device whose product identification begins
// with upper-case "SQ". A pair with one half missing is refused without a
// command.
bool StartupPairAccepted(Engine& ctx, std::uint8_t adapter, std::uint8_t target);
// The chosen drive's capacity, read as DLG_DEV's OK reads it (ten
// attempts): the medium's last 512-byte sector goes to `deviceSectors`
// (unless the drive reports block 0), and the sector size and sector entry
// point follow a block length of 512 or 1024 (any other length leaves both
// as they were). False when the drive never answered.
bool TakeMediumCapacity(Engine& ctx, std::uint8_t adapter, std::uint8_t target);
// The number of the medium's last 512-byte sector, 0 when the drive does not
// answer after six attempts (the status line then says so). A reported block
// length of 512 or 1024 becomes the sector size.
std::uint32_t ReadCapacityChecked(Engine& ctx, std::uint8_t adapter, std::uint8_t target);

// READ CAPACITY reports the last block in the medium's own block size; the
// system counts 512-byte sectors, so on a 1024-byte medium the last block
// n ends with sector (n + 1) * 2 - 1. Other block lengths are passed through.
std::uint32_t LastSectorOf(std::uint32_t lastBlock, std::uint32_t blockLength);
// Only 512- and 1024-byte sectors have an entry point.
bool IsSupportedSectorSize(std::uint32_t blockLength);

// The geometry a format gives a medium of `sectors` 512-byte sectors.
struct FormatGeometry {
  std::uint32_t sectors = 0;
  std::uint32_t allocFactor = 0;     // sectors per allocation block
  std::uint32_t allocBlockSize = 0;  // bytes
  std::uint32_t bitmapSectors = 0;
};
FormatGeometry GeometryForCapacity(std::uint32_t sectors, std::uint16_t sectorSize);
// The capacity used by the format (DLG_CAPA when the drive does not tell),
// 0 when none is known.
std::uint32_t FormatCapacity(Engine& ctx, std::uint8_t adapter, std::uint8_t target);

}  // namespace tarvo
