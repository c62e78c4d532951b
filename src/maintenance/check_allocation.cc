#include "maintenance/check_allocation.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "base/volume_state.h"
#include "hfs/extent_record.h"
#include "hfs/extent_search.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"

namespace tarvo {

namespace {

constexpr std::uint32_t kNoOwner = 0;

// Overflow records by key (file ID, fork type, start block), each with a
// flag set when a fork reaches it.
struct OverflowRecord {
  const LeafRecord* leaf = nullptr;
  bool reached = false;
};
using OverflowKey = std::tuple<std::uint32_t, std::uint8_t, std::uint16_t>;
using OverflowIndex = std::map<OverflowKey, OverflowRecord>;

class AllocationChecker {
 public:
  AllocationChecker(const VolumeState& volume, const std::vector<LeafRecord>& overflow, std::vector<Finding>& findings);

  void CheckFork(const Fork& fork, std::uint32_t ownerIndex);
  void CheckOrphanOverflow(const std::vector<Fork>& forks);
  void CheckBitmap(ConstBytes bitmap, ConstBytes mdb);

  std::vector<const Fork*> owners;  // owner n is owners[n - 1]

 private:
  void MarkExtent(std::uint32_t ownerIndex, std::uint32_t start, std::uint32_t count);

  std::uint32_t blockSize_;
  std::uint32_t blockCount_;
  std::vector<std::uint32_t> ownerOf_;  // per allocation block
  OverflowIndex overflow_;
  std::vector<Finding>& findings_;
};

Fork SystemFork(const VolumeState& volume, const char* owner, std::uint32_t fileId, std::size_t sizeField,
                std::size_t extentsField);

}  // namespace

std::string ForkOwner(const Fork& fork) {
  if (fork.systemFile) return fork.name;
  return "file \"" + fork.name + "\" (ID " + std::to_string(fork.fileId) + "), " +
         (fork.forkType == kDataFork ? "data fork" : "resource fork");
}

void CheckAllocation(const VolumeState& volume, const std::vector<Fork>& forks, const std::vector<LeafRecord>& overflow,
                     std::optional<ConstBytes> bitmap, std::vector<Finding>& findings) {
  AllocationChecker checker(volume, overflow, findings);
  const Fork extentsFile = SystemFork(volume, "the extents file", kExtentsFileId, mdb::drXTFlSize, mdb::drXTExtRec);
  const Fork catalogFile = SystemFork(volume, "the catalog file", kCatalogFileId, mdb::drCTFlSize, mdb::drCTExtRec);
  checker.owners = {&extentsFile, &catalogFile};
  for (const Fork& fork : forks) checker.owners.push_back(&fork);
  for (std::uint32_t n = 0; n < checker.owners.size(); ++n) checker.CheckFork(*checker.owners[n], n + 1);
  checker.CheckOrphanOverflow(forks);
  if (bitmap) checker.CheckBitmap(*bitmap, volume.mdb);
}

namespace {

AllocationChecker::AllocationChecker(const VolumeState& volume, const std::vector<LeafRecord>& overflow,
                                     std::vector<Finding>& findings)
    : blockSize_(volume.allocBlockSize),
      blockCount_(GetU16(volume.mdb, mdb::drNmAlBlks)),
      ownerOf_(blockCount_, kNoOwner),
      findings_(findings) {
  for (const LeafRecord& leaf : overflow) {
    if (const std::optional<ExtentKey> key = ReadExtentKey(leaf.bytes)) {
      overflow_.try_emplace(OverflowKey{key->fileId, key->forkType, key->startBlock}, OverflowRecord{&leaf});
    }
  }
}

// Follows the fork's extent records: the first, then overflow records for
// as long as each record's three descriptors are all used. Blocks a record
// names after its end are reported, not claimed.
void AllocationChecker::CheckFork(const Fork& fork, std::uint32_t ownerIndex) {
  std::uint32_t blocks = 0;
  // A record of zeros (an empty fork, as most resource forks are) names no
  // blocks and leads to no overflow record: nothing to walk.
  if (std::any_of(fork.extents.begin(), fork.extents.end(), [](std::uint8_t b) { return b != 0; })) {
    const NextExtentRecord next = [&](std::uint16_t startBlock) -> std::optional<ExtentRecordBytes> {
      const auto found = overflow_.find(OverflowKey{fork.fileId, fork.forkType, startBlock});
      if (found == overflow_.end() || found->second.reached) return std::nullopt;
      found->second.reached = true;
      ExtentRecordBytes record{};
      std::copy_n(found->second.leaf->bytes.begin() + extkey::kExtents, record.size(), record.begin());
      return record;
    };
    const ExtentRecordVisitor claim = [&](const ExtentRecord& record, std::uint32_t forkBlock) {
      for (const BlockExtent& extent : record.Used()) MarkExtent(ownerIndex, extent.startBlock, extent.blockCount);
      for (const BlockExtent& extent : record.Stray()) {
        Report(findings_, Problem::kExtentAfterRecordEnd,
               {.owner = ForkOwner(fork), .first = extent.startBlock, .count = extent.blockCount});
      }
      blocks = forkBlock + record.Blocks();
      return record.Full() ? ForkWalkStep::kNext : ForkWalkStep::kStop;
    };
    WalkForkExtents(fork.extents, next, claim);
  }

  const std::uint64_t held = std::uint64_t{blocks} * blockSize_;
  if (fork.logicalLength > fork.physicalLength) {
    Report(findings_, Problem::kLogicalBeyondPhysical,
           {.found = fork.logicalLength, .expected = fork.physicalLength, .owner = ForkOwner(fork)});
  }
  if (fork.physicalLength != held) {
    Report(findings_, Problem::kPhysicalLengthWrong,
           {.found = fork.physicalLength, .expected = held, .owner = ForkOwner(fork)});
  }
}

// Claims the extent's blocks for the owner; blocks another owner (or the
// same one) already holds are reported in runs, as are blocks past the end.
void AllocationChecker::MarkExtent(std::uint32_t ownerIndex, std::uint32_t start, std::uint32_t count) {
  if (count == 0) return;
  const std::uint32_t end = start + count;
  const Fork& fork = *owners[ownerIndex - 1];
  if (end > blockCount_) {
    const std::uint32_t first = std::max(start, blockCount_);
    Report(findings_, Problem::kExtentPastEnd,
           {.expected = blockCount_, .owner = ForkOwner(fork), .first = first, .count = end - first});
  }
  for (std::uint32_t b = start; b < std::min(end, blockCount_);) {
    const std::uint32_t previous = ownerOf_[b];
    if (previous == kNoOwner) {
      ownerOf_[b++] = ownerIndex;
      continue;
    }
    const std::uint32_t first = b;
    while (b < std::min(end, blockCount_) && ownerOf_[b] == previous) ++b;
    Report(findings_, Problem::kExtentsOverlap,
           {.owner = ForkOwner(fork), .other = ForkOwner(*owners[previous - 1]), .first = first, .count = b - first});
  }
}

void AllocationChecker::CheckOrphanOverflow(const std::vector<Fork>& forks) {
  for (const auto& [key, record] : overflow_) {
    if (record.reached) continue;
    // Plain variables, not a structured binding: the lambda captures them.
    const std::uint32_t fileId = std::get<0>(key);
    const std::uint8_t forkType = std::get<1>(key);
    const std::uint16_t startBlock = std::get<2>(key);
    const auto fork = std::find_if(forks.begin(), forks.end(),
                                   [&](const Fork& f) { return f.fileId == fileId && f.forkType == forkType; });
    const std::string owner = fork != forks.end() ? ForkOwner(*fork)
                                                  : "file ID " + std::to_string(fileId) +
                                                        (forkType == kDataFork ? ", data fork" : ", resource fork");
    Report(findings_, Problem::kOverflowOrphan,
           {.node = record.leaf->node, .record = record.leaf->index, .found = startBlock, .owner = owner});
  }
}

// Runs of blocks in use but free in the bitmap (per owner), runs of blocks
// marked but owned by nothing, and the free count of the volume header.
void AllocationChecker::CheckBitmap(ConstBytes bitmap, ConstBytes mdb) {
  const std::uint64_t bits = std::uint64_t{bitmap.size()} * 8;
  if (bits < blockCount_) Report(findings_, Problem::kBitmapTooSmall, {.found = bits, .expected = blockCount_});
  const auto compared = static_cast<std::uint32_t>(std::min<std::uint64_t>(bits, blockCount_));
  auto marked = [&bitmap](std::uint32_t b) { return (bitmap[b / 8] & (0x80 >> (b % 8))) != 0; };

  for (std::uint32_t b = 0; b < compared;) {
    const std::uint32_t owner = ownerOf_[b];
    const bool isMarked = marked(b);
    if ((owner != kNoOwner) == isMarked) {
      ++b;
      continue;
    }
    const std::uint32_t first = b++;
    while (b < compared && ownerOf_[b] == owner && marked(b) == isMarked) ++b;
    if (owner != kNoOwner) {
      Report(findings_, Problem::kBlocksUsedButFree,
             {.owner = ForkOwner(*owners[owner - 1]), .first = first, .count = b - first});
    } else {
      Report(findings_, Problem::kBlocksLost, {.first = first, .count = b - first});
    }
  }
  std::uint32_t free = 0;
  for (std::uint32_t b = 0; b < compared; ++b) free += marked(b) ? 0 : 1;
  if (GetU16(mdb, mdb::drFreeBks) != free) {
    Report(findings_, Problem::kFreeCountWrong, {.found = GetU16(mdb, mdb::drFreeBks), .expected = free});
  }
}

// The extents or catalog file as a fork: its size is both its lengths.
Fork SystemFork(const VolumeState& volume, const char* owner, std::uint32_t fileId, std::size_t sizeField,
                std::size_t extentsField) {
  Fork fork{owner, fileId, kDataFork, GetU32(volume.mdb, sizeField), GetU32(volume.mdb, sizeField)};
  fork.systemFile = true;
  std::copy_n(volume.mdb.begin() + static_cast<std::ptrdiff_t>(extentsField), fork.extents.size(),
              fork.extents.begin());
  return fork;
}

}  // namespace

}  // namespace tarvo
