#include "hfs/catalog_lookup.h"

#include "hfs/btree.h"
#include "hfs/catalog_search.h"

namespace tarvo {

std::optional<CatalogRecord> FindNamedRecord(TreeWorkFile& catalog, std::uint32_t parentId, std::string_view name) {
  if (name.empty()) return std::nullopt;  // the empty name is a thread's key
  const KeyPosition position = LocateCatalogKey(catalog, name, parentId);
  if (position.status != SearchStatus::kFound || !position.exists) return std::nullopt;
  const std::optional<Bytes> raw = RecordAt(catalog.node, position.index);
  std::optional<CatalogRecord> record = raw ? ReadCatalogRecord(*raw) : std::nullopt;
  if (!record || (record->type != kFileRecord && record->type != kDirectoryRecord)) return std::nullopt;
  catalog.recordIndex = position.index;
  return record;
}

}  // namespace tarvo
