// Where the volume starts: the driver descriptor, the Apple partition map in
// its new ("PM") and old ("TS") forms, and the HFS partitions found there.
//
// Units: every sector number of the engine counts 512-byte logical sectors
// from the start of the medium. The descriptor's block count and the map's
// partition starts and sizes are in the medium's block size; on a medium
// whose descriptor gives 1024-byte blocks they are doubled as they are
// read, so `deviceSectors`, `volumeOrigin` and every `PartitionEntry` are in
// 512-byte sectors on every medium. The first `transferSectors` logical
// sectors are read as one linear image, so map block b lies at byte
// b x blockSize of the buffer whatever the physical sector size.
//
// A descriptor whose block size is neither 512 nor 1024 is not usable: the
// medium is treated as having no driver descriptor (-2), `sectorSize` and
// `deviceSectors` stay as the drive reported them and the header is looked
// for 1024 bytes into the medium, where an unpartitioned volume keeps it.
//
// Bounds: only map entries held in the buffer (blocks 1 to the buffer's
// last whole block) and on the medium are examined, whatever entry count
// the map claims; a partition that starts at or beyond the end of the
// medium is skipped (an old-style map's then gives 0). A descriptor block
// count of 0 leaves a capacity already known in place.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tarvo {

struct Engine;
struct VolumeState;

// One HFS partition of a new-style map.
struct PartitionEntry {
  std::string name;  // Mac Roman, at most 32 characters (the field need not be terminated)
  std::uint32_t start = 0;        // first sector
  std::uint32_t sectorCount = 0;  // sectors
};

// Up to 12 HFS partitions, in map order; further ones are ignored.
struct PartitionList {
  static constexpr std::size_t kCapacity = 12;
  std::array<PartitionEntry, kCapacity> entries{};
  std::size_t count = 0;

  void Clear() { *this = PartitionList{}; }
  std::span<const PartitionEntry> used() const { return std::span(entries).first(count); }
};

// What the start of the medium holds.
enum class MediumMap {
  kNoDescriptor,            // sector 0 has no (usable) driver descriptor
  kUnknownBlock1,           // block 1 is neither map nor volume header
  kOldMap,                  // an old-style map
  kNewMap,                  // a new-style map; the list holds its HFS partitions
  kVolumeBehindDescriptor,  // an unpartitioned volume, its header at byte 1024
};

// Reads the descriptor and the map. Sets `volumeOrigin` (0 unless a
// partition was found), `partitionSectors` and, from a usable descriptor,
// `sectorSize` and `deviceSectors`. The first recorded partition is selected
// (see SelectPartition); an old-style map's first partition gives its start
// and its size when it lies on the medium.
MediumMap ReadPartitionMap(Engine& ctx, PartitionList& list);

// Makes row `index` of the list the partition to mount: its start becomes
// `volumeOrigin` and its size `partitionSectors`. A negative index (no
// choice) leaves no partition: both become 0.
void SelectPartition(VolumeState& volume, const PartitionList& list, int index);

}  // namespace tarvo
