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
  kFreeCountWrong,
  kBitmapTooSmall,
  kBitmapUnreadable,
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
  kOverflowOrphan,
  kBlocksUsedButFree,
  kBlocksLost,
};

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

// Appends the finding with its text.
void Report(std::vector<Finding>& findings, Problem code, ProblemContext context);

}  // namespace tarvo
