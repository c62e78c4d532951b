// Looking up one entry of a directory by its whole name.
//
// A pattern search (catalog_search.h) reads '*' as a wildcard; the edits
// need the entry whose key is exactly (parentId, name), '*' included, as
// the catalog orders names (letter case and most accents do not count).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "base/tree_work_file.h"
#include "hfs/catalog_record.h"

namespace tarvo {

// The file or directory record with the key (parentId, name); its data
// points into the tree's node and is valid until the next node read. None
// when there is none (or the tree cannot be walked there).
std::optional<CatalogRecord> FindNamedRecord(TreeWorkFile& catalog, std::uint32_t parentId, std::string_view name);

}  // namespace tarvo
