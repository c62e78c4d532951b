// The volume header (Master Directory Block) of the mounted volume.
//
// The MDB is kept in `VolumeState::mdb` in disk byte order; every field is
// read and changed in place through the big-endian helpers and the offsets
// below, and the buffer is written back whole by WriteVolumeHeader.
//
// Sector unit: every sector number here is a 512-byte logical sector, on
// every medium. The MDB lies 1024 bytes after the volume's start, so
// mdbSector = volumeOrigin + 2 on 512- and 1024-byte media alike; the
// 1024-byte entry point maps the logical sectors onto physical ones.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "hfs/sector_run.h"

namespace tarvo {

struct Engine;
struct VolumeState;

// MDB field offsets, under their published names.
namespace mdb {
inline constexpr std::size_t drSigWord = 0x00;    // u16 0x4244 "BD"
inline constexpr std::size_t drCrDate = 0x02;     // u32
inline constexpr std::size_t drLsMod = 0x06;      // u32
inline constexpr std::size_t drAtrb = 0x0A;       // u16
inline constexpr std::size_t drNmFls = 0x0C;      // u16 files in the root
inline constexpr std::size_t drVBMSt = 0x0E;      // u16 first bitmap sector, volume-relative
inline constexpr std::size_t drAllocPtr = 0x10;   // u16
inline constexpr std::size_t drNmAlBlks = 0x12;   // u16
inline constexpr std::size_t drAlBlkSiz = 0x14;   // u32, all 32 bits (over 65535 on volumes past 4 GB)
inline constexpr std::size_t drClpSiz = 0x18;     // u32
inline constexpr std::size_t drAlBlSt = 0x1C;     // u16 first sector of block 0, volume-relative
inline constexpr std::size_t drNxtCNID = 0x1E;    // u32
inline constexpr std::size_t drFreeBks = 0x22;    // u16
inline constexpr std::size_t drVN = 0x24;         // length byte and 27 characters
inline constexpr std::size_t drVolBkUp = 0x40;    // u32
inline constexpr std::size_t drVSeqNum = 0x44;    // u16
inline constexpr std::size_t drWrCnt = 0x46;      // u32
inline constexpr std::size_t drXTClpSiz = 0x4A;   // u32
inline constexpr std::size_t drCTClpSiz = 0x4E;   // u32
inline constexpr std::size_t drNmRtDirs = 0x52;   // u16 folders in the root
inline constexpr std::size_t drFilCnt = 0x54;     // u32
inline constexpr std::size_t drDirCnt = 0x58;     // u32
inline constexpr std::size_t drFndrInfo = 0x5C;   // 32 bytes
inline constexpr std::size_t drXTFlSize = 0x82;   // u32
inline constexpr std::size_t drXTExtRec = 0x86;   // 12-byte extent record
inline constexpr std::size_t drCTFlSize = 0x92;   // u32
inline constexpr std::size_t drCTExtRec = 0x96;   // 12-byte extent record
inline constexpr std::size_t kVolumeNameMax = 27;
}  // namespace mdb

inline constexpr std::uint16_t kHfsSignature = 0x4244;
inline constexpr int kHeaderReadAttempts = 10;

// What the medium holds where a volume header was looked for.
enum class VolumeHeaderFound {
  kHfs,    // a Macintosh volume: `volumeOrigin` is the first sector of allocation block 0
  kNone,   // no volume header: `volumeOrigin` is 0
};

// Reads and checks the MDB 1024 bytes after `volumeOrigin` and fills the
// geometry of VolumeState. Afterwards `volumeOrigin` is the first sector of
// allocation block 0 (a Macintosh volume) or 0 (none). Every mount reads the header, so this drops the write verdict
// of the volume mounted before.
//
// A header counts when it has the signature, a non-empty first catalog
// extent, an allocation block size (all 32 bits of drAlBlkSiz) that is a
// non-zero multiple of 512, and a bitmap that ends before allocation block
// 0 starts: anything else could not be addressed and is treated as no
// header.
VolumeHeaderFound ReadVolumeHeader(Engine& ctx);

// The first sector past the mounted volume's allocation blocks, 64 bits
// wide: a header may claim more than 32-bit sector numbers reach.
std::int64_t BlocksEnd(const VolumeState& volume);
// The first sector past the volume's partition; meaningful only when the
// map bounds it (`partitionSectors` not 0).
std::int64_t PartitionEnd(const VolumeState& volume);

// Whether the allocation blocks of the mounted volume lie on its medium:
// within its partition (when the map bounds it) and within the medium's
// capacity (when known). No volume mounted counts as inside.
enum class VolumeFit { kInside, kPastPartition, kPastMedium };
VolumeFit FitOnMedium(const VolumeState& volume);

// The sector of the alternate MDB: the second-to-last sector of the
// volume's own area. That area is its partition when the map gives one
// (`partitionSectors` from 2 sectors before `mdbSector`). Otherwise it ends
// 2 sectors after the last allocation block, or at the end of the medium
// when that comes less than one allocation block later (the rounding a
// formatter leaves); a medium larger still holds more than the volume (tag
// data after a floppy's sectors, a volume copied onto a larger medium).
// None when no volume is mounted, or when the sector would fall inside the
// allocation blocks or beyond a medium of known size: a wrong size must
// never overwrite the volume or leave its area.
std::optional<std::uint32_t> AlternateMdbSector(const VolumeState& volume);

// Writes `mdb` to `mdbSector` and to the alternate MDB (when it has a
// place); kFailed when either write failed.
SectorRunResult WriteVolumeHeader(Engine& ctx);

// The volume name held in the MDB (Macintosh characters, at most 27).
std::string VolumeName(const VolumeState& volume);

}  // namespace tarvo
