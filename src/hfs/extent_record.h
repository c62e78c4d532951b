// Extent records: three extent descriptors (start block, block count: two
// big-endian u16 each) in 12 bytes, as a file record, the volume header
// (the extents and catalog files) and the extents tree hold them.
//
// Where a record ends follows the Macintosh: its descriptors are used from
// the first on, and it ends at the first descriptor whose block count is
// 0 (unused descriptors are zero). A descriptor after that end is not part
// of the fork, whatever it holds; one that names blocks there is stray, and
// the volume check reports it.
//
// A fork goes on beyond its first record in overflow records of the
// extents tree, each keyed by the fork-relative block at which the extents
// before it end. WalkForkExtents follows them for everything that reads,
// writes back, addresses or checks a fork; its caller says after each
// record whether it needs more.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "base/big_endian.h"
#include "hfs/allocation.h"
#include "hfs/catalog_record.h"

namespace tarvo {

inline constexpr std::size_t kExtentDescriptors = 3;

using ExtentRecordBytes = std::array<std::uint8_t, kExtentRecordSize>;

// One record as the rule reads it.
struct ExtentRecord {
  std::array<BlockExtent, kExtentDescriptors> used{};
  std::size_t usedCount = 0;
  std::array<BlockExtent, kExtentDescriptors - 1> stray{};
  std::size_t strayCount = 0;

  // The descriptors before the end, in order; each has blocks.
  std::span<const BlockExtent> Used() const { return {used.data(), usedCount}; }
  // The descriptors after the end that name blocks.
  std::span<const BlockExtent> Stray() const { return {stray.data(), strayCount}; }
  // Every descriptor used: only then may the fork go on in the extents tree.
  bool Full() const { return usedCount == kExtentDescriptors; }
  std::uint32_t Blocks() const;
};

// The first 12 bytes of `bytes` (std::out_of_range when it is shorter).
ExtentRecord ReadExtentRecord(ConstBytes bytes);

// After a record: go on to the fork's next record, or stop here.
enum class ForkWalkStep { kNext, kStop };
// The visitor stopped the walk, or the fork's extents ended before it did.
enum class ForkWalkEnd { kStopped, kExtentsEnded };

// The fork's overflow record whose extents start at fork block startBlock;
// none when there is none.
using NextExtentRecord = std::function<std::optional<ExtentRecordBytes>(std::uint16_t startBlock)>;
// Sees each record with the fork block at which its first extent starts.
using ExtentRecordVisitor = std::function<ForkWalkStep(const ExtentRecord& record, std::uint32_t forkBlock)>;

// Visits the fork's first record (12 bytes), then, while the visitor asks
// for more, the record `next` gives (an empty `next`: the first record is
// all there is). The extents end at a record that adds no blocks, at a fork
// block past 16 bits (keys hold no more), or where `next` has no record.
// Fork blocks grow with every record, so the walk ends.
ForkWalkEnd WalkForkExtents(ConstBytes firstRecord, const NextExtentRecord& next, const ExtentRecordVisitor& visit);

}  // namespace tarvo
