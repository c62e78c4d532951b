#include "maintenance/check_problems.h"

#include <array>
#include <string_view>
#include <utility>

namespace tarvo {

namespace {

struct Entry {
  Problem code;
  unsigned concerns;  // Structure bits, or kNamedTree
  const char* pattern;
};

constexpr unsigned kNone = 0;
constexpr unsigned kNamedTree = 1u << 8;  // the tree of {tree}

// The one table: the order follows the enum, which the lookup checks.
constexpr std::array kProblemTable = {
    Entry{Problem::kFileCountWrong, kNone, "Volume header: drFilCnt is {found}, the catalog holds {expected} files"},
    Entry{Problem::kFolderCountWrong, kNone,
          "Volume header: drDirCnt is {found}, the catalog holds {expected} folders besides the root"},
    Entry{Problem::kRootFileCountWrong, kNone,
          "Volume header: drNmFls is {found}, the root folder holds {expected} files"},
    Entry{Problem::kRootFolderCountWrong, kNone,
          "Volume header: drNmRtDirs is {found}, the root folder holds {expected} folders"},
    Entry{Problem::kNextIdTooLow, kVolumeHeader, "Volume header: drNxtCNID is {found}, but ID {expected} is in use"},
    Entry{Problem::kNextIdNotNew, kVolumeHeader,
          "Volume header: drNxtCNID is {found}, but new files and folders take IDs from 16 to 2147483646"},
    Entry{Problem::kFreeCountWrong, kNone,
          "Volume header: drFreeBks is {found}, the bitmap has {expected} free blocks"},
    Entry{Problem::kBitmapTooSmall, kAllocation,
          "Volume header: the bitmap covers {found} blocks, the volume has {expected}"},
    Entry{Problem::kBitmapUnreadable, kAllocation, "Bitmap: the volume bitmap cannot be read"},
    Entry{Problem::kVolumePastMedium, kAllocation,
          "Volume header: the last allocation block, {found}, cannot be read; "
          "the medium may be shorter than the volume"},
    Entry{Problem::kVolumePastPartition, kAllocation,
          "Volume header: the allocation blocks end at sector {found}, past the end of the partition at {expected}"},
    Entry{Problem::kHeaderNodeType, kNamedTree, "{tree} tree: node 0 has type {found}, not that of a header node"},
    Entry{Problem::kNodeSizeWrong, kNamedTree, "{tree} tree: bthNodeSize is {found}, expected {expected}"},
    Entry{Problem::kMaxKeyLengthWrong, kNamedTree, "{tree} tree: bthMaxKeyLen is {found}, expected {expected}"},
    Entry{Problem::kNodeCountWrong, kNamedTree,
          "{tree} tree: bthNNodes is {found}, the tree file holds {expected} nodes"},
    Entry{Problem::kRootOutOfRange, kNamedTree, "{tree} tree: bthRoot is {found}, but the tree has {expected} nodes"},
    Entry{Problem::kDepthWrong, kNamedTree, "{tree} tree: bthDepth is {found}, the tree has {expected} levels"},
    Entry{Problem::kLeafRecordCountWrong, kNamedTree,
          "{tree} tree: bthNRecs is {found}, the leaves hold {expected} records"},
    Entry{Problem::kFirstLeafWrong, kNamedTree, "{tree} tree: bthFNode is {found}, the first leaf is node {expected}"},
    Entry{Problem::kLastLeafWrong, kNamedTree, "{tree} tree: bthLNode is {found}, the last leaf is node {expected}"},
    Entry{Problem::kFreeNodesWrong, kNamedTree,
          "{tree} tree: bthFree is {found}, the node map has {expected} free nodes"},
    Entry{Problem::kMapTooShort, kNamedTree, "{tree} tree: the node map covers {found} nodes, the tree has {expected}"},
    Entry{Problem::kNodeUnreadable, kNamedTree, "{tree} node {node}: the node cannot be read"},
    Entry{Problem::kNodeTypeWrong, kNamedTree, "{tree} node {node}: ndType is {found}, expected {expected}"},
    Entry{Problem::kNodeHeightWrong, kNamedTree, "{tree} node {node}: ndNHeight is {found}, expected {expected}"},
    Entry{Problem::kRecordTableDamaged, kNamedTree, "{tree} node {node}: the record offsets are damaged"},
    Entry{Problem::kNodeEmpty, kNamedTree, "{tree} node {node}: the node holds no records"},
    Entry{Problem::kRecordDamaged, kNamedTree, "{tree} node {node} record {rec}: the record is damaged"},
    Entry{Problem::kKeyOutOfOrder, kNamedTree,
          "{tree} node {node} record {rec}: the key does not sort after the key before it"},
    Entry{Problem::kIndexKeyWrong, kNamedTree,
          "{tree} node {node} record {rec}: the key differs from the first key of its child node {found}"},
    Entry{Problem::kChildOutOfRange, kNamedTree,
          "{tree} node {node} record {rec}: child node {found} lies outside the tree of {expected} nodes"},
    Entry{Problem::kChildReachedTwice, kNamedTree,
          "{tree} node {node} record {rec}: child node {found} is reached twice"},
    Entry{Problem::kForwardLinkWrong, kNamedTree, "{tree} node {node}: ndFLink is {found}, expected {expected}"},
    Entry{Problem::kBackLinkWrong, kNamedTree, "{tree} node {node}: ndBLink is {found}, expected {expected}"},
    Entry{Problem::kLeafChainLoop, kNamedTree, "{tree} tree: the leaf chain from bthFNode loops back to node {node}"},
    Entry{Problem::kNodesUsedButFree, kNamedTree, "{tree} tree: in use but free in the node map: {nodes}"},
    Entry{Problem::kNodesMarkedButUnused, kNamedTree,
          "{tree} tree: marked in the node map but not part of the tree: {nodes}"},
    Entry{Problem::kRootMissing, kCatalogTree, "Catalog: the root folder (ID 2) is missing"},
    Entry{Problem::kIdUsedTwice, kCatalogTree, "Catalog: \"{name}\" has ID {id}, which \"{other}\" has too"},
    Entry{Problem::kIdReserved, kCatalogTree, "Catalog: \"{name}\" has the reserved ID {id}"},
    Entry{Problem::kParentMissing, kCatalogTree,
          "Catalog: \"{name}\" (ID {id}) lies in folder {found}, which does not exist"},
    Entry{Problem::kValenceWrong, kCatalogTree,
          "Catalog: folder \"{name}\" (ID {id}) has valence {found}, but holds {expected} items"},
    Entry{Problem::kThreadMissing, kCatalogTree, "Catalog: folder \"{name}\" (ID {id}) has no thread record"},
    Entry{Problem::kFileThreadMissing, kNone,
          "Catalog: file \"{name}\" (ID {id}) has no thread record, though its flags say it has one"},
    Entry{Problem::kThreadDuplicate, kCatalogTree, "Catalog: \"{name}\" (ID {id}) has {found} thread records"},
    Entry{Problem::kThreadParentWrong, kCatalogTree,
          "Catalog: the thread of \"{name}\" (ID {id}) gives parent {found}, the record lies in {expected}"},
    Entry{Problem::kThreadNameWrong, kCatalogTree,
          "Catalog: the thread of \"{name}\" (ID {id}) gives the name \"{other}\""},
    Entry{Problem::kThreadKeyHasName, kCatalogTree,
          "catalog node {node} record {rec}: a thread record whose key has a name"},
    Entry{Problem::kFolderThreadOrphan, kCatalogTree, "Catalog: the folder thread of ID {id} belongs to no folder"},
    Entry{Problem::kFileThreadOrphan, kCatalogTree, "Catalog: the file thread of ID {id} belongs to no file"},
    Entry{Problem::kLogicalBeyondPhysical, kCatalogTree,
          "{owner}: logical length {found} exceeds physical length {expected}"},
    Entry{Problem::kPhysicalLengthWrong, kCatalogTree,
          "{owner}: length {found}, but its extents hold {expected} bytes"},
    Entry{Problem::kExtentPastEnd, kRelease, "{owner}: past the last allocation block {expected}: {blocks}"},
    Entry{Problem::kExtentsOverlap, kRelease, "{owner} and {other} both use {blocks}"},
    Entry{Problem::kExtentAfterRecordEnd, kAllStructures,
          "{owner}: {blocks} follow an empty extent descriptor and are not part of the fork"},
    Entry{Problem::kOverflowOrphan, kExtentsTree,
          "extents node {node} record {rec}: the extents of {owner} from fork block {found} are not part of the fork"},
    Entry{Problem::kBlocksUsedButFree, kAllocation, "Bitmap: used by {owner} but free in the bitmap: {blocks}"},
    Entry{Problem::kBlocksLost, kNone, "Bitmap: marked in use but part of no file (lost): {blocks}"},
};

constexpr bool TableFollowsEnum() {
  for (std::size_t i = 0; i < kProblemTable.size(); ++i) {
    if (static_cast<std::size_t>(kProblemTable[i].code) != i) return false;
  }
  return true;
}
static_assert(TableFollowsEnum(), "the problem table must list every code in enum order");

std::string Range(const char* unit, std::uint32_t first, std::uint32_t count) {
  const std::string start = std::string(unit) + (count > 1 ? "s " : " ") + std::to_string(first);
  return count > 1 ? start + "-" + std::to_string(std::uint64_t{first} + count - 1) : start;
}

std::string Value(std::string_view field, const ProblemContext& c) {
  if (field == "tree") return c.tree;
  if (field == "node") return std::to_string(c.node);
  if (field == "rec") return std::to_string(c.record);
  if (field == "id") return std::to_string(c.id);
  if (field == "name") return c.name;
  if (field == "found") return std::to_string(c.found);
  if (field == "expected") return std::to_string(c.expected);
  if (field == "owner") return c.owner;
  if (field == "other") return c.other;
  if (field == "blocks") return Range("block", c.first, c.count);
  if (field == "nodes") return Range("node", c.first, c.count);
  // Built by appends: the same in one expression trips a false GCC 12
  // -Wrestrict warning in optimized builds.
  std::string unknown = "{";
  unknown.append(field);
  unknown += '}';
  return unknown;
}

}  // namespace

const char* ProblemPattern(Problem code) { return kProblemTable[static_cast<std::size_t>(code)].pattern; }

unsigned ProblemStructures(const Finding& finding) {
  const unsigned concerns = kProblemTable[static_cast<std::size_t>(finding.code)].concerns;
  if (concerns != kNamedTree) return concerns;
  return finding.context.tree == "extents" ? kExtentsTree : kCatalogTree;
}

std::string FormatProblem(Problem code, const ProblemContext& context) {
  const std::string_view pattern = ProblemPattern(code);
  std::string text;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const std::size_t close = pattern[i] == '{' ? pattern.find('}', i) : std::string_view::npos;
    if (close == std::string_view::npos) {
      text += pattern[i];
      continue;
    }
    text += Value(pattern.substr(i + 1, close - i - 1), context);
    i = close;
  }
  // "catalog node 5: ..." starts a line as "Catalog node 5: ...".
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
  return text;
}

void Report(std::vector<Finding>& findings, Problem code, ProblemContext context) {
  std::string text = FormatProblem(code, context);
  findings.push_back(Finding{code, std::move(context), std::move(text)});
}

}  // namespace tarvo
