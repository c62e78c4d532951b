#include "hfs/extent_record.h"

#include <algorithm>

namespace tarvo {

namespace {

constexpr std::uint32_t kLastForkBlock = 0xFFFF;

}  // namespace

std::uint32_t ExtentRecord::Blocks() const {
  std::uint32_t blocks = 0;
  for (const BlockExtent& extent : Used()) blocks += extent.blockCount;
  return blocks;
}

ExtentRecord ReadExtentRecord(ConstBytes bytes) {
  ExtentRecord record;
  bool ended = false;
  for (std::size_t i = 0; i < kExtentDescriptors; ++i) {
    const BlockExtent extent{GetU16(bytes, 4 * i), GetU16(bytes, 4 * i + 2)};
    ended = ended || extent.blockCount == 0;
    if (!ended) record.used[record.usedCount++] = extent;
    else if (extent.blockCount != 0) record.stray[record.strayCount++] = extent;
  }
  return record;
}

ForkWalkEnd WalkForkExtents(ConstBytes firstRecord, const NextExtentRecord& next, const ExtentRecordVisitor& visit) {
  CheckRange(firstRecord.size(), 0, kExtentRecordSize);
  ExtentRecordBytes bytes{};
  std::copy_n(firstRecord.begin(), bytes.size(), bytes.begin());
  // Every pass either ends the walk or moves forkBlock on, and never past
  // kLastForkBlock: at most 65536 passes.
  for (std::uint32_t forkBlock = 0; forkBlock <= kLastForkBlock;) {
    const ExtentRecord record = ReadExtentRecord(bytes);
    if (visit(record, forkBlock) == ForkWalkStep::kStop) return ForkWalkEnd::kStopped;
    const std::uint32_t end = forkBlock + record.Blocks();
    if (end == forkBlock || end > kLastForkBlock || !next) break;
    const std::optional<ExtentRecordBytes> following = next(static_cast<std::uint16_t>(end));
    if (!following) break;
    bytes = *following;
    forkBlock = end;
  }
  return ForkWalkEnd::kExtentsEnded;
}

}  // namespace tarvo
