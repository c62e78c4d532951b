#include "hfs/catalog_delete.h"

#include <optional>
#include <vector>

#include "base/context.h"
#include "hfs/btree.h"
#include "hfs/catalog_search.h"
#include "hfs/catalog_shape.h"
#include "hfs/catalog_space.h"
#include "hfs/index_rebuild.h"
#include "hfs/work_file.h"

namespace tarvo {

namespace {

bool UnlinkLeaf(Context& ctx, std::uint32_t n, const NodeBuffer& leaf);
bool SetLink(TreeWorkFile& tree, std::uint32_t n, std::size_t field, std::uint32_t value);

}  // namespace

CatalogEditStatus DeleteCatalogRecord(Context& ctx, std::uint32_t parentId, std::string_view name) {
  TreeWorkFile& tree = ctx.volume.catalog;
  if (tree.handle == nullptr) return CatalogEditStatus::kDamaged;
  const CatalogShape* shape = SurveyCatalog(tree);
  if (!shape) return CatalogEditStatus::kDamaged;
  if (shape->leaves.empty()) return CatalogEditStatus::kNotFound;
  const KeyPosition position = LocateCatalogKey(tree, name, parentId);
  if (position.status == SearchStatus::kDamaged) return CatalogEditStatus::kDamaged;
  if (!position.exists) return CatalogEditStatus::kNotFound;

  // Fewer leaves never need more index nodes than a sound index holds; an
  // index found short is made up for before the record goes.
  const std::uint32_t needed = IndexNodesNeeded(shape->IndexedLeaves());
  const std::uint32_t releasable = ReleasableIndexNodes(tree, *shape);
  if (needed > releasable && !ReserveCatalogNodes(ctx, needed - releasable)) return CatalogEditStatus::kNoRoom;

  NodeBuffer leaf{};
  std::optional<std::vector<OwnedRecord>> records;
  if (!ReadNodeInto(tree, position.node, leaf) || !(records = NodeRecords(leaf)) ||
      position.index >= records->size()) {
    return CatalogEditStatus::kDamaged;
  }
  records->erase(records->begin() + position.index);
  const bool written = records->empty() ? UnlinkLeaf(ctx, position.node, leaf)
                                        : PackRecords(leaf, *records) && WriteNode(tree, position.node, leaf);
  if (!written) return CatalogEditStatus::kDamaged;
  AddLeafRecords(tree.header, -1);
  return RebuildCatalogIndex(ctx) == RebuildStatus::kDone ? CatalogEditStatus::kDone : CatalogEditStatus::kDamaged;
}

namespace {

bool UnlinkLeaf(Context& ctx, std::uint32_t n, const NodeBuffer& leaf) {
  TreeWorkFile& tree = ctx.volume.catalog;
  const std::uint32_t previous = GetU32(leaf, node::ndBLink);
  const std::uint32_t next = GetU32(leaf, node::ndFLink);
  if (next != 0 && !SetLink(tree, next, node::ndBLink, previous)) return false;
  if (previous != 0 && !SetLink(tree, previous, node::ndFLink, next)) return false;
  if (GetU32(tree.header, header::bthFNode) == n) PutU32(tree.header, header::bthFNode, next);
  if (GetU32(tree.header, header::bthLNode) == n) PutU32(tree.header, header::bthLNode, previous);
  if (FreeNode(ctx, n)) return true;
  const NodeBuffer zeros{};  // a node the map already calls free is still cleared
  return WriteNode(tree, n, zeros);
}

bool SetLink(TreeWorkFile& tree, std::uint32_t n, std::size_t field, std::uint32_t value) {
  NodeBuffer neighbour{};
  if (!ReadNodeInto(tree, n, neighbour)) return false;
  PutU32(neighbour, field, value);
  return WriteNode(tree, n, neighbour);
}

}  // namespace

}  // namespace tarvo
