#include "hfs/allocation.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/engine.h"
#include "hfs/bitmap.h"
#include "hfs/sector_run.h"
#include "hfs/volume_header.h"

namespace tarvo {

namespace {

// One past the last block that may be handed out or cleared.
std::uint32_t BlockLimit(const VolumeState& volume);
bool InUse(const VolumeState& volume, std::uint32_t block);
// Free now, and free on the medium: a block freed since the bitmap was
// loaded still holds data the medium's catalog may point to.
bool Allocatable(const VolumeState& volume, std::uint32_t block);
// The first byte from `from` on, before `end`, with a block not in use; `end`
// when there is none.
std::uint32_t FirstNotFullByte(const std::vector<std::uint8_t>& bitmap, std::uint32_t from, std::uint32_t end);
// Sets or clears one bit; true when it changed.
bool SetBlock(VolumeState& volume, std::uint32_t block, bool inUse);
void AdjustFreeBlocks(VolumeState& volume, std::int64_t delta);
// Where the held bitmap sectors lie on the medium, and their bytes.
std::uint32_t HeldBitmapSector(const VolumeState& v) { return v.mdbSector + v.bitmapWindowStart + 1; }
std::size_t HeldBitmapBytes(const VolumeState& v) {
  return std::min(std::size_t{v.bitmapHeldSectors} * 512, v.bitmap.size() / 512 * 512);
}

}  // namespace

std::optional<BlockExtent> FindFreeRun(const VolumeState& volume, std::uint32_t count) {
  const std::uint32_t limit = BlockLimit(volume);
  if (count == 0 || count > 0xFFFF) return std::nullopt;
  std::uint32_t b = kFirstAllocatableBlock;
  while (b < limit) {
    if (!Allocatable(volume, b)) {
      // Whole bytes of blocks in use are passed at once.
      b = b % 8 == 0 && b + 8 <= limit && volume.bitmap[b / 8] == 0xFF
              ? 8 * FirstNotFullByte(volume.bitmap, b / 8 + 1, limit / 8)
              : b + 1;
      continue;
    }
    std::uint32_t e = b;
    while (e < limit && e - b < count && Allocatable(volume, e)) ++e;
    const std::uint32_t run = e - b;
    if (run == count || run >= kMinimumPartialRun) {
      return BlockExtent{static_cast<std::uint16_t>(b), static_cast<std::uint16_t>(run)};
    }
    b = e;
  }
  return std::nullopt;
}

std::uint32_t CountAllocatableBlocks(const VolumeState& volume) {
  const std::uint32_t limit = BlockLimit(volume);
  std::uint32_t count = 0;
  for (std::uint32_t b = kFirstAllocatableBlock; b < limit; ++b) count += Allocatable(volume, b) ? 1 : 0;
  return count;
}

void AllowFreedBlocks(VolumeState& volume) { volume.bitmapOnMedium = volume.bitmap; }

void MarkBlocksInUse(Engine& ctx, BlockExtent extent) {
  VolumeState& v = ctx.volume;
  const std::uint32_t end = std::min<std::uint32_t>(extent.startBlock + extent.blockCount, BlockLimit(v));
  std::int64_t marked = 0;
  for (std::uint32_t b = std::max<std::uint32_t>(extent.startBlock, kFirstAllocatableBlock); b < end; ++b) {
    if (SetBlock(v, b, true)) ++marked;
  }
  AdjustFreeBlocks(v, -marked);
}

std::uint32_t FreeExtentRecord(Engine& ctx, ConstBytes extents) {
  if (!EnsureBitmapLoaded(ctx)) return 0;
  VolumeState& v = ctx.volume;
  const std::uint32_t limit = BlockLimit(v);
  std::uint32_t freed = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    const std::uint32_t start = GetU16(extents, 4 * i);
    const std::uint32_t end = std::min(start + GetU16(extents, 4 * i + 2), limit);
    for (std::uint32_t b = start; b < end; ++b) {
      if (SetBlock(v, b, false)) ++freed;
    }
  }
  AdjustFreeBlocks(v, freed);
  return freed;
}

bool EnsureBitmapLoaded(Engine& ctx) {
  if (!ctx.volume.bitmap.empty()) return true;
  if (LoadBitmap(ctx) == SectorRunResult::kMoved) return true;
  ReleaseBitmap(ctx.volume);
  return false;
}

void ReleaseBitmap(VolumeState& volume) {
  volume.bitmap.clear();
  volume.bitmap.shrink_to_fit();
  volume.bitmapOnMedium.clear();
  volume.bitmapOnMedium.shrink_to_fit();
}

SectorRunResult WriteBitmap(Engine& ctx) {
  VolumeState& v = ctx.volume;
  const SectorRunResult result =
      WriteSectorRun(ctx, HeldBitmapSector(v), ConstBytes(v.bitmap).first(HeldBitmapBytes(v)));
  if (result == SectorRunResult::kMoved) ReleaseBitmap(v);
  return result;
}

SectorRunResult WriteBitmapWithBlocksOnMedium(Engine& ctx) {
  const VolumeState& v = ctx.volume;
  std::vector<std::uint8_t> both(HeldBitmapBytes(v));
  if (ReadSectorRun(ctx, HeldBitmapSector(v), both) == SectorRunResult::kFailed) return SectorRunResult::kFailed;
  for (std::size_t i = 0; i < both.size(); ++i) both[i] |= v.bitmap[i];
  return WriteSectorRun(ctx, HeldBitmapSector(v), both);
}

namespace {

std::uint32_t BlockLimit(const VolumeState& volume) {
  const std::uint64_t held = std::min<std::uint64_t>(std::uint64_t{volume.bitmapHeldSectors} * 4096,
                                                     std::uint64_t{volume.bitmap.size()} * 8);
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(held, GetU16(volume.mdb, mdb::drNmAlBlks)));
}

bool InUse(const VolumeState& volume, std::uint32_t block) {
  return (volume.bitmap[block / 8] & (0x80 >> (block % 8))) != 0;
}

bool Allocatable(const VolumeState& volume, std::uint32_t block) {
  const std::vector<std::uint8_t>& medium = volume.bitmapOnMedium;
  const bool usedOnMedium = block / 8 < medium.size() && (medium[block / 8] & (0x80 >> (block % 8))) != 0;
  return !usedOnMedium && !InUse(volume, block);
}

std::uint32_t FirstNotFullByte(const std::vector<std::uint8_t>& bitmap, std::uint32_t from, std::uint32_t end) {
  // Eight bytes at a time through the long stretches in use: every search
  // passes all the blocks in use before the first free one.
  std::uint32_t i = from;
  const std::uint32_t words = std::min<std::size_t>(end, bitmap.size());
  for (std::uint64_t word = 0; i + 8 <= words; i += 8) {
    std::memcpy(&word, bitmap.data() + i, 8);
    if (word != ~std::uint64_t{0}) break;
  }
  while (i < end && bitmap[i] == 0xFF) ++i;
  return i;
}

bool SetBlock(VolumeState& volume, std::uint32_t block, bool inUse) {
  if (InUse(volume, block) == inUse) return false;
  std::uint8_t& byte = volume.bitmap[block / 8];
  const auto mask = static_cast<std::uint8_t>(0x80 >> (block % 8));
  byte = static_cast<std::uint8_t>(inUse ? byte | mask : byte & ~mask);
  return true;
}

void AdjustFreeBlocks(VolumeState& volume, std::int64_t delta) {
  const std::int64_t free = std::int64_t{GetU16(volume.mdb, mdb::drFreeBks)} + delta;
  PutU16(volume.mdb, mdb::drFreeBks, static_cast<std::uint16_t>(std::clamp<std::int64_t>(free, 0, 0xFFFF)));
}

}  // namespace

}  // namespace tarvo
