// Allocation blocks: first-fit allocation in the volume bitmap, freeing the
// blocks of an extent record, and writing the bitmap back.
//
// The bitmap is loaded on first use when the caller has not loaded it (a
// read failure refuses the allocation: a half-read bitmap must never hand
// out blocks). It stays loaded until WriteBitmap.
//
// drFreeBks is kept here, exactly: it falls by every block marked and rises
// by every block cleared that was set. Callers must not adjust it.
//
// Blocks 0 to 39 are never handed out, nor any block at or beyond
// drNmAlBlks or beyond the bitmap held, nor a block freed since the bitmap
// was loaded: until the flush writes the change, the catalog on the medium
// may still point to it, and a flush that fails is taken back (flush.h), so
// its data must stay. Only an update that keeps what those blocks hold on
// the medium until its flush (an undo scope, sector_undo.h) may let them be
// handed out again (AllowFreedBlocks).
#pragma once

#include <cstdint>
#include <optional>

#include "base/big_endian.h"
#include "hfs/sector_run.h"

namespace tarvo {

struct Engine;
struct VolumeState;

// A run of allocation blocks, in host order.
struct BlockExtent {
  std::uint16_t startBlock = 0;
  std::uint16_t blockCount = 0;
};

inline constexpr std::uint32_t kFirstAllocatableBlock = 40;
// A free run at least this long is handed out when no run fits the request.
inline constexpr std::uint32_t kMinimumPartialRun = 10;

// First fit from block 40: the first free run of `count` blocks, or, when
// an earlier free run is shorter than `count` but has 10 blocks or more
// (the end of the volume included), that whole run: the caller asks again
// for the rest. Nothing is marked. None when no such run exists or the
// bitmap is not loaded.
std::optional<BlockExtent> FindFreeRun(const VolumeState& volume, std::uint32_t count);

// The blocks FindFreeRun may hand out: free now and free on the medium.
std::uint32_t CountAllocatableBlocks(const VolumeState& volume);

// Lets the blocks freed since the bitmap was loaded be handed out: for the
// caller that holds an undo scope open until the change is flushed.
void AllowFreedBlocks(VolumeState& volume);

// Marks the run in use; drFreeBks falls by the blocks that were free.
// Blocks outside the allocatable range are left alone.
void MarkBlocksInUse(Engine& ctx, BlockExtent extent);

// Clears the blocks of the three descriptors of a 12-byte extent record
// (big-endian start, count; count 0 clears nothing). Returns the number of
// blocks that were in use and are now free.
std::uint32_t FreeExtentRecord(Engine& ctx, ConstBytes extents);

// Loads the bitmap when it is not loaded; false when it cannot be read.
bool EnsureBitmapLoaded(Engine& ctx);

// Forgets the loaded bitmap; it is loaded again on first use.
void ReleaseBitmap(VolumeState& volume);

// Writes the held bitmap sectors back after the MDB and releases the
// buffer. On failure the bitmap stays loaded so that a later flush writes
// it again.
SectorRunResult WriteBitmap(Engine& ctx);

// Writes the held bitmap sectors with every block also marked that the
// bitmap on the medium marks: the blocks of the old volume and of the new
// one, for a flush that writes the trees after it (flush.h). kFailed when
// the read or the write failed; the bitmap stays loaded.
SectorRunResult WriteBitmapWithBlocksOnMedium(Engine& ctx);

}  // namespace tarvo
