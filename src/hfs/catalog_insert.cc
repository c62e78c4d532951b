#include "hfs/catalog_insert.h"

#include <vector>

#include "base/engine.h"
#include "hfs/btree.h"
#include "hfs/tree_edit.h"
#include "hfs/tree_space.h"

namespace tarvo {

namespace {

bool HasItsTypesSize(ConstBytes data);

}  // namespace

CatalogEditStatus InsertCatalogRecord(Engine& ctx, const CatalogKey& key, ConstBytes data) {
  TreeWorkFile& tree = ctx.volume.catalog;
  if (key.name.size() > kMaxNameLength || !HasItsTypesSize(data)) return CatalogEditStatus::kInvalid;
  if (tree.handle == nullptr) return CatalogEditStatus::kDamaged;
  OwnedRecord record = CatalogKeyBytes(key.parentId, key.name);
  record.insert(record.end(), data.begin(), data.end());
  const NodeReserve reserve = [&ctx](std::uint32_t count) { return ReserveCatalogNodes(ctx, count); };
  switch (InsertTreeRecord(tree, TreeKeys{CompareCatalogKeys, kIndexKeyLength}, record, reserve)) {
    case TreeEditStatus::kDone: return CatalogEditStatus::kDone;
    case TreeEditStatus::kExists: return CatalogEditStatus::kExists;
    case TreeEditStatus::kNoRoom: return CatalogEditStatus::kNoRoom;
    case TreeEditStatus::kNotFound:
    case TreeEditStatus::kDamaged: break;
  }
  return CatalogEditStatus::kDamaged;
}

CatalogEditStatus InsertThreadRecord(Engine& ctx, std::uint32_t dirId, std::uint32_t parentId,
                                     std::string_view name) {
  if (name.size() > kMaxNameLength) return CatalogEditStatus::kInvalid;
  std::vector<std::uint8_t> data(thdrec::kSize, 0);
  PutU8(data, 0, kDirectoryThread);
  PutU32(data, thdrec::thdParID, parentId);
  PutU8(data, thdrec::thdCName, static_cast<std::uint8_t>(name.size()));
  std::copy(name.begin(), name.end(), data.begin() + thdrec::thdCName + 1);
  return InsertCatalogRecord(ctx, CatalogKey{6, dirId, ""}, data);
}

CatalogEditStatus ReserveInsertions(Engine& ctx, std::uint32_t count) {
  TreeWorkFile& tree = ctx.volume.catalog;
  if (tree.handle == nullptr) return CatalogEditStatus::kDamaged;
  // Each insertion may make the tree one level deeper for the next.
  std::uint32_t needed = 0;
  for (std::uint32_t i = 0; i < count; ++i) needed += InsertionNodes(tree) + i;
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

}  // namespace

}  // namespace tarvo
