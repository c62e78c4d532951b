#include "hfs/catalog_insert.h"

#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "base/context.h"
#include "hfs/btree.h"
#include "hfs/catalog_search.h"
#include "hfs/catalog_shape.h"
#include "hfs/catalog_space.h"
#include "hfs/index_rebuild.h"
#include "hfs/node_map.h"
#include "hfs/work_file.h"

namespace tarvo {

namespace {

// A leaf needs at most two splits: a leaf holds at most eight records (the
// smallest is 54 bytes), so after two the record's part holds at most two
// others, and three of the largest records (140 bytes) fit a node.
constexpr int kMostSplits = 2;

bool HasItsTypesSize(ConstBytes data);
OwnedRecord BuildRecord(const CatalogKey& key, ConstBytes data);
CatalogEditStatus StartTree(Context& ctx, const OwnedRecord& record);
CatalogEditStatus Finish(Context& ctx);
// Splits leaf n (its buffer and records); returns the leaf and index where
// the record at `index` now belongs.
std::optional<std::pair<std::uint32_t, std::size_t>> SplitLeaf(TreeWorkFile& tree, std::uint32_t n, NodeBuffer& leaf,
                                                               const std::vector<OwnedRecord>& records,
                                                               std::size_t index);

}  // namespace

CatalogEditStatus InsertCatalogRecord(Context& ctx, const CatalogKey& key, ConstBytes data) {
  TreeWorkFile& tree = ctx.volume.catalog;
  if (key.name.size() > kMaxNameLength || !HasItsTypesSize(data)) return CatalogEditStatus::kInvalid;
  const OwnedRecord record = BuildRecord(key, data);
  if (tree.handle == nullptr) return CatalogEditStatus::kDamaged;

  const CatalogShape* shape = SurveyCatalog(tree);
  if (!shape) return CatalogEditStatus::kDamaged;
  const bool empty = shape->leaves.empty();
  KeyPosition position;
  if (!empty) {
    position = LocateCatalogKey(tree, key.name, key.parentId);
    if (position.status != SearchStatus::kFound) return CatalogEditStatus::kDamaged;
    if (position.exists) return CatalogEditStatus::kExists;
  }

  const CatalogEditStatus room = ReserveInsertions(ctx, 1);
  if (room != CatalogEditStatus::kDone) return room;
  if (empty) return StartTree(ctx, record);

  std::uint32_t n = position.node;
  std::size_t at = position.index;
  for (int split = 0; split <= kMostSplits; ++split) {
    NodeBuffer leaf{};
    std::optional<std::vector<OwnedRecord>> records;
    if (!ReadNodeInto(tree, n, leaf) || !(records = NodeRecords(leaf)) || at > records->size()) {
      return CatalogEditStatus::kDamaged;
    }
    // The record is tried among the others; a split takes them without it.
    records->insert(records->begin() + static_cast<std::ptrdiff_t>(at), record);
    if (PackRecords(leaf, *records)) {
      if (!WriteNode(tree, n, leaf)) return CatalogEditStatus::kDamaged;
      AddLeafRecords(tree.header, 1);
      return Finish(ctx);
    }
    records->erase(records->begin() + static_cast<std::ptrdiff_t>(at));
    if (split == kMostSplits) break;  // unreachable with records of catalog sizes
    const std::optional<std::pair<std::uint32_t, std::size_t>> place = SplitLeaf(tree, n, leaf, *records, at);
    if (!place) return CatalogEditStatus::kDamaged;
    std::tie(n, at) = *place;
  }
  // The splits made stay valid; the index follows them.
  RebuildCatalogIndex(ctx);
  return CatalogEditStatus::kDamaged;
}

CatalogEditStatus InsertThreadRecord(Context& ctx, std::uint32_t dirId, std::uint32_t parentId,
                                     std::string_view name) {
  if (name.size() > kMaxNameLength) return CatalogEditStatus::kInvalid;
  std::vector<std::uint8_t> data(thdrec::kSize, 0);
  PutU8(data, 0, kDirectoryThread);
  PutU32(data, thdrec::thdParID, parentId);
  PutU8(data, thdrec::thdCName, static_cast<std::uint8_t>(name.size()));
  std::copy(name.begin(), name.end(), data.begin() + thdrec::thdCName + 1);
  return InsertCatalogRecord(ctx, CatalogKey{6, dirId, ""}, data);
}

CatalogEditStatus ReserveInsertions(Context& ctx, std::uint32_t count) {
  TreeWorkFile& tree = ctx.volume.catalog;
  const CatalogShape* shape = tree.handle != nullptr ? SurveyCatalog(tree) : nullptr;
  if (!shape) return CatalogEditStatus::kDamaged;
  // Splits take their leaves before the old index is freed; the new index
  // may then take back what the old one held.
  const std::uint32_t leaves = kMostSplits * count;
  const std::uint32_t index = IndexNodesNeeded(shape->IndexedLeaves() + leaves);
  const std::uint32_t releasable = ReleasableIndexNodes(tree, *shape);
  const std::uint32_t needed = leaves + (index > releasable ? index - releasable : 0);
  return ReserveCatalogNodes(ctx, needed) ? CatalogEditStatus::kDone : CatalogEditStatus::kNoRoom;
}

namespace {

bool HasItsTypesSize(ConstBytes data) {
  if (data.empty()) return false;
  switch (data[0]) {
    case kDirectoryRecord: return data.size() == dirrec::kSize;
    case kFileRecord: return data.size() == filrec::kSize;
    case kDirectoryThread:
    case kFileThread: return data.size() == thdrec::kSize;
    default: return false;
  }
}

// The key (length 6 + name length), then the data at the next even offset.
OwnedRecord BuildRecord(const CatalogKey& key, ConstBytes data) {
  const std::size_t keyBytes = catkey::ckrCName + 1 + key.name.size();
  OwnedRecord record((keyBytes + 1) & ~std::size_t{1}, 0);
  PutU8(record, catkey::ckrKeyLen, static_cast<std::uint8_t>(keyBytes - 1));
  PutU32(record, catkey::ckrParID, key.parentId);
  PutU8(record, catkey::ckrCName, static_cast<std::uint8_t>(key.name.size()));
  std::copy(key.name.begin(), key.name.end(), record.begin() + catkey::ckrCName + 1);
  record.insert(record.end(), data.begin(), data.end());
  return record;
}

CatalogEditStatus StartTree(Context& ctx, const OwnedRecord& record) {
  TreeWorkFile& tree = ctx.volume.catalog;
  const std::optional<std::uint32_t> n = AllocateNode(tree);
  if (!n) return CatalogEditStatus::kNoRoom;
  NodeBuffer leaf{};
  PutU8(leaf, node::ndType, kLeafNode);
  PutU8(leaf, node::ndNHeight, 1);
  PackRecords(leaf, {record});
  PutU32(tree.header, header::bthFNode, *n);
  if (!WriteNode(tree, *n, leaf)) return CatalogEditStatus::kDamaged;
  AddLeafRecords(tree.header, 1);
  return Finish(ctx);
}

CatalogEditStatus Finish(Context& ctx) {
  switch (RebuildCatalogIndex(ctx)) {
    case RebuildStatus::kDone: return CatalogEditStatus::kDone;
    case RebuildStatus::kNoRoom: return CatalogEditStatus::kNoRoom;
    case RebuildStatus::kDamaged: break;
  }
  return CatalogEditStatus::kDamaged;
}

std::optional<std::pair<std::uint32_t, std::size_t>> SplitLeaf(TreeWorkFile& tree, std::uint32_t n, NodeBuffer& leaf,
                                                               const std::vector<OwnedRecord>& records,
                                                               std::size_t index) {
  if (records.size() < 2) return std::nullopt;
  const std::size_t keep = (records.size() + 1) / 2;
  const std::optional<std::uint32_t> added = AllocateNode(tree);
  if (!added) return std::nullopt;
  const std::uint32_t next = NodeForwardLink(leaf);

  NodeBuffer right{};
  PutU32(right, node::ndFLink, next);
  PutU32(right, node::ndBLink, n);
  PutU8(right, node::ndType, NodeType(leaf));
  PutU8(right, node::ndNHeight, NodeHeight(leaf));
  PackRecords(right, {records.begin() + static_cast<std::ptrdiff_t>(keep), records.end()});
  PutU32(leaf, node::ndFLink, *added);
  PackRecords(leaf, {records.begin(), records.begin() + static_cast<std::ptrdiff_t>(keep)});
  if (!WriteNode(tree, *added, right) || !WriteNode(tree, n, leaf)) return std::nullopt;

  if (next != 0) {
    NodeBuffer following{};
    if (!ReadNodeInto(tree, next, following)) return std::nullopt;
    PutU32(following, node::ndBLink, *added);
    if (!WriteNode(tree, next, following)) return std::nullopt;
  }
  if (index <= keep) return std::make_pair(n, index);
  return std::make_pair(*added, index - keep);
}

}  // namespace

}  // namespace tarvo
