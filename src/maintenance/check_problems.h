// The problem table of the volume check: every finding the check can make,
// each under one code with one fixed message pattern.
//
// A finding carries its code, the context values its pattern draws on, and
// the text made from them. Patterns name their values in braces:
//   {tree}   "catalog" or "extents"        {node} {rec}  node and record
//   {id}     a catalog node ID             {name}        a Macintosh name
//   {found}  the value on the volume       {expected}    the value it should have
//   {owner}  {other}  who holds blocks ("file "x" (ID 17), data fork")
//   {blocks} "block 5" or "blocks 5-9"     {nodes}       "node 5" or "nodes 5-9"
//            (both from `first` and `count`)
// Texts keep names in Macintosh characters; the front end converts them
// for display.
//
// Each code also names the structures whose damage it shows, for the guard
// of write commands (ui/write_guard.h): a write that changes one of them
// is refused. Findings that no write can make worse concern none:
//   - the file and folder counters of the volume header (drFilCnt,
//     drDirCnt, drNmFls, drNmRtDirs): nothing reads them, writes only step
//     them by the items they add or remove;
//   - drFreeBks: allocation follows the bitmap, never the count, and steps
//     the count by exactly the blocks it marks or clears;
//   - lost blocks: marked in use, so never handed out, and a deletion
//     clears only the blocks of what it deletes;
//   - a file whose flags promise a thread record it lacks: only file ID
//     references use the thread, and the edits rewrite or delete a file's
//     thread only where they find it.
// A drNxtCNID too low, or one no new item may take (volume_counters.h),
// concerns the volume header: the commands that take new IDs (folders,
// files) all change it. B-tree findings concern the tree
// they name; findings about a file's record or lengths concern the
// catalog; orphan overflow records the extents tree. The bitmap counts
// twice: what could make it hand out blocks in use, or blocks the medium
// does not hold (used blocks free in it, a bitmap that is short or
// unreadable, a medium shorter than the volume) concerns allocation; forks
// that share blocks or reach past the volume's end concern the release of
// blocks, since freeing one fork's blocks would free another's. Blocks
// an extent record names after its end (extent_record.h) concern every
// structure: which blocks the fork holds is in doubt, and a write that
// fills the record's empty descriptor would take them back into it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvo {

enum class Problem {
  // Volume header against the catalog and the bitmap.
  kFileCountWrong,
  kFolderCountWrong,
  kRootFileCountWrong,
  kRootFolderCountWrong,
  kNextIdTooLow,
  kNextIdNotNew,
  kFreeCountWrong,
  kBitmapTooSmall,
  kBitmapUnreadable,
  kVolumePastMedium,
  kVolumePastPartition,
  // B-tree header.
  kHeaderNodeType,
  kNodeSizeWrong,
  kMaxKeyLengthWrong,
  kNodeCountWrong,
  kRootOutOfRange,
  kDepthWrong,
  kLeafRecordCountWrong,
  kFirstLeafWrong,
  kLastLeafWrong,
  kFreeNodesWrong,
  kMapTooShort,
  // B-tree nodes.
  kNodeUnreadable,
  kNodeTypeWrong,
  kNodeHeightWrong,
  kRecordTableDamaged,
  kNodeEmpty,
  kRecordDamaged,
  kKeyOutOfOrder,
  kIndexKeyWrong,
  kChildOutOfRange,
  kChildReachedTwice,
  kForwardLinkWrong,
  kBackLinkWrong,
  kLeafChainLoop,
  kNodesUsedButFree,
  kNodesMarkedButUnused,
  // Catalog contents.
  kRootMissing,
  kIdUsedTwice,
  kIdReserved,
  kParentMissing,
  kValenceWrong,
  kThreadMissing,
  kFileThreadMissing,
  kThreadDuplicate,
  kThreadParentWrong,
  kThreadNameWrong,
  kThreadKeyHasName,
  kFolderThreadOrphan,
  kFileThreadOrphan,
  // Forks and allocation.
  kLogicalBeyondPhysical,
  kPhysicalLengthWrong,
  kExtentPastEnd,
  kExtentsOverlap,
  kExtentAfterRecordEnd,
  kOverflowOrphan,
  kBlocksUsedButFree,
  kBlocksLost,
};

// The structures a write may change and a finding may concern, as bits.
enum Structure : unsigned {
  kCatalogTree = 1,
  kExtentsTree = 2,
  kAllocation = 4,  // the bitmap, as blocks are taken from it
  kRelease = 8,     // the bitmap, as a deleted fork's blocks are freed
  kVolumeHeader = 16,
};
inline constexpr unsigned kAllStructures = kCatalogTree | kExtentsTree | kAllocation | kRelease | kVolumeHeader;

struct ProblemContext {
  std::string tree{};
  std::uint32_t node = 0;
  std::uint32_t record = 0;
  std::uint32_t id = 0;
  std::string name{};
  std::uint64_t found = 0;
  std::uint64_t expected = 0;
  std::string owner{};
  std::string other{};
  std::uint32_t first = 0;  // {blocks}, {nodes}
  std::uint32_t count = 0;
};

struct Finding {
  Problem code;
  ProblemContext context;
  std::string text;
};

// The message pattern of a code, and a pattern filled from a context.
const char* ProblemPattern(Problem code);
std::string FormatProblem(Problem code, const ProblemContext& context);

// The structures whose damage the finding shows (Structure bits; 0 for a
// finding no write can make worse).
unsigned ProblemStructures(const Finding& finding);

// Appends the finding with its text.
void Report(std::vector<Finding>& findings, Problem code, ProblemContext context);

}  // namespace tarvo
