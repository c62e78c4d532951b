#include "hfs/catalog_delete.h"

#include <vector>

#include "base/engine.h"
#include "hfs/catalog_record.h"
#include "hfs/tree_edit.h"

namespace tarvo {

CatalogEditStatus DeleteCatalogRecord(Engine& ctx, std::uint32_t parentId, std::string_view name) {
  TreeWorkFile& tree = ctx.volume.catalog;
  if (tree.handle == nullptr) return CatalogEditStatus::kDamaged;
  if (name.size() > kMaxNameLength) return CatalogEditStatus::kNotFound;
  const std::vector<std::uint8_t> key = CatalogKeyBytes(parentId, name);
  switch (DeleteTreeRecord(tree, TreeKeys{CompareCatalogKeys, kIndexKeyLength}, key)) {
    case TreeEditStatus::kDone: return CatalogEditStatus::kDone;
    case TreeEditStatus::kNotFound: return CatalogEditStatus::kNotFound;
    case TreeEditStatus::kExists:
    case TreeEditStatus::kNoRoom:
    case TreeEditStatus::kDamaged: break;
  }
  return CatalogEditStatus::kDamaged;
}

BatchDeletion DeleteCatalogRecords(Engine& ctx, std::span<const OwnedRecord> sortedKeys, const RecordFilter& keep) {
  TreeWorkFile& tree = ctx.volume.catalog;
  if (tree.handle == nullptr) return BatchDeletion{TreeEditStatus::kDamaged, std::vector<bool>(sortedKeys.size())};
  return DeleteTreeRecords(tree, TreeKeys{CompareCatalogKeys, kIndexKeyLength}, sortedKeys, keep);
}

}  // namespace tarvo
