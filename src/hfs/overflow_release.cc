#include "hfs/overflow_release.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <vector>

#include "base/engine.h"
#include "hfs/allocation.h"
#include "hfs/btree.h"
#include "hfs/catalog_record.h"
#include "hfs/extent_search.h"
#include "hfs/node_map.h"
#include "hfs/tree_walk.h"
#include "hfs/work_file.h"

namespace tarvo {

namespace {

using KeyBytes = std::array<std::uint8_t, extkey::kExtents>;
// An index record: the 8-byte key, then the child node.
constexpr std::size_t kIndexChild = extkey::kExtents;
constexpr int kMaxDepth = 16;

bool HoldsRecordsOf(TreeWorkFile& tree, std::uint32_t fileId);

// Removes the file's records under node n (at height `height`) and returns
// the node's new first key; none when the node was emptied and released.
// Surviving nodes are noted per level, in key order.
class Pruner {
 public:
  Pruner(Engine& ctx, std::uint32_t fileId) : ctx_(ctx), tree_(ctx.volume.extents), fileId_(fileId) {
    walk_ = StartWalk(tree_);
  }
  std::optional<KeyBytes> Prune(std::uint32_t n, int height);
  bool ok() const { return ok_; }
  std::uint32_t removed() const { return removed_; }
  const std::map<int, std::vector<std::uint32_t>>& levels() const { return levels_; }

 private:
  std::optional<KeyBytes> Fail() {
    ok_ = false;
    return std::nullopt;
  }
  bool Broken() {
    ok_ = false;
    return false;
  }
  bool KeepsRecord(OwnedRecord& record, int height);

  Engine& ctx_;
  TreeWorkFile& tree_;
  std::uint32_t fileId_;
  TreeWalk walk_;
  bool ok_ = true;
  std::uint32_t removed_ = 0;
  std::map<int, std::vector<std::uint32_t>> levels_;
};

bool Relink(TreeWorkFile& tree, const std::vector<std::uint32_t>& level);

}  // namespace

bool ReleaseOverflowExtents(Engine& ctx, std::uint32_t fileId) {
  TreeWorkFile& tree = ctx.volume.extents;
  if (tree.handle == nullptr) OpenExtentsWorkFile(ctx);
  RepairTreeHeader(tree);
  const std::uint32_t root = GetU32(tree.header, header::bthRoot);
  if (root == 0 || !HoldsRecordsOf(tree, fileId)) return true;

  Pruner pruner(ctx, fileId);
  const int depth = std::clamp<int>(GetU16(tree.header, header::bthDepth), 1, kMaxDepth);
  const std::optional<KeyBytes> first = pruner.Prune(root, depth);
  if (!pruner.ok()) return false;
  AddLeafRecords(tree.header, -static_cast<std::int64_t>(pruner.removed()));
  bool linked = true;
  for (const auto& [height, level] : pruner.levels()) linked = Relink(tree, level) && linked;

  const auto leaves = pruner.levels().find(1);
  const bool empty = !first || leaves == pruner.levels().end();
  PutU32(tree.header, header::bthFNode, empty ? 0 : leaves->second.front());
  PutU32(tree.header, header::bthLNode, empty ? 0 : leaves->second.back());
  if (empty) {
    PutU16(tree.header, header::bthDepth, 0);
    PutU32(tree.header, header::bthRoot, 0);
  }
  SyncFreeNodeCount(tree);
  return WriteNode(tree, 0, tree.header) && linked;
}

namespace {

bool HoldsRecordsOf(TreeWorkFile& tree, std::uint32_t fileId) {
  TreeWalk walk = StartWalk(tree);
  for (std::uint32_t n = GetU32(tree.header, header::bthFNode); n != 0; n = NodeForwardLink(tree.node)) {
    if (!WalkTo(tree, walk, n)) return true;  // let the pruning walk report the damage
    for (std::uint16_t i = 0; i < NodeRecordCount(tree.node); ++i) {
      const std::optional<Bytes> record = RecordAt(tree.node, i);
      const std::optional<ExtentKey> key = record ? ReadExtentKey(*record) : std::nullopt;
      if (key && key->fileId == fileId) return true;
    }
  }
  return false;
}

std::optional<KeyBytes> Pruner::Prune(std::uint32_t n, int height) {
  if (height < 1 || !WalkTo(tree_, walk_, n)) return Fail();
  NodeBuffer node = tree_.node;
  const bool leaf = height == 1;
  if (NodeType(node) != (leaf ? kLeafNode : kIndexNode)) return Fail();
  std::optional<std::vector<OwnedRecord>> records = NodeRecords(node);
  if (!records) return Fail();

  std::vector<OwnedRecord> kept;
  for (OwnedRecord& record : *records) {
    if (KeepsRecord(record, height)) kept.push_back(record);
    if (!ok_) return std::nullopt;
  }
  if (kept.empty()) {
    if (!ReleaseNode(tree_, n)) return Fail();
    return std::nullopt;
  }
  if (!PackRecords(node, kept) || !WriteNode(tree_, n, node)) return Fail();
  levels_[height].push_back(n);
  KeyBytes first{};
  std::copy_n(kept.front().begin(), first.size(), first.begin());
  return first;
}

// A leaf record stays unless it belongs to the file (its blocks are freed);
// an index record stays while its child keeps records, and takes the
// child's first key.
bool Pruner::KeepsRecord(OwnedRecord& record, int height) {
  if (height == 1) {
    const std::optional<ExtentKey> key = ReadExtentKey(record);
    if (!key) return Broken();
    if (key->fileId != fileId_) return true;
    FreeExtentRecord(ctx_, ConstBytes(record).subspan(extkey::kExtents, kExtentRecordSize));
    ++removed_;
    return false;
  }
  if (record.size() < kIndexChild + 4) return Broken();
  const std::optional<KeyBytes> childFirst = Prune(GetU32(record, kIndexChild), height - 1);
  if (!childFirst) return false;
  std::copy(childFirst->begin(), childFirst->end(), record.begin());
  return true;
}

bool Relink(TreeWorkFile& tree, const std::vector<std::uint32_t>& level) {
  for (std::size_t i = 0; i < level.size(); ++i) {
    NodeBuffer node{};
    if (!ReadNodeInto(tree, level[i], node)) return false;
    PutU32(node, node::ndBLink, i == 0 ? 0 : level[i - 1]);
    PutU32(node, node::ndFLink, i + 1 == level.size() ? 0 : level[i + 1]);
    if (!WriteNode(tree, level[i], node)) return false;
  }
  return true;
}

}  // namespace

}  // namespace tarvo
