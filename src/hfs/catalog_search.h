// Searches of the catalog tree work file.
//
// Keys are ordered by parent ID, then by name (name_order.h). A search
// descends from the root through the index records to a leaf and walks the
// leaves along ndFLink from there. Records of a directory are found by
// pattern (a name, or a wildcard) and wanted type:
//   -1 a file or a directory, 1 a directory, 2 a file,
//   3 the directory thread of the directory parentId (pattern "*").
// File thread records are never found.
//
// A wildcard pattern descends as its prefix before the first '*' or '?'
// ("AB" for "AB*" and "AB?x", "" for "*.bak"), which sorts before every
// name carrying the prefix, so the walk starts at or before the first match
// whatever characters follow the prefix; it stops once the names have
// passed the prefix's first character.
//
// Every walk is bounded (tree_walk.h): a damaged tree gives kDamaged. The
// last few descents are remembered (tree_memo.h): a descent whose index
// nodes are unchanged goes straight to its leaf.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "hfs/btree.h"
#include "hfs/tree_walk.h"

namespace tarvo {

enum WantedType : int {
  kWantEntry = -1,
  kWantDirectory = 1,
  kWantFile = 2,
  kWantThread = 3,
};

// The first matching record; on success the tree's node holds its leaf and
// recordIndex its index. Trailing blanks of the pattern do not count.
FoundRecord FindCatalogRecord(TreeWorkFile& catalog, std::string_view pattern, int wantedType,
                              std::uint32_t parentId);

// Every matching record, copied, in key order: kFound when there is one,
// kDamaged (with the records found before) when the walk cannot go on.
struct FoundRecords {
  SearchStatus status = SearchStatus::kNotFound;
  std::vector<OwnedRecord> records;
};
FoundRecords FindCatalogRecords(TreeWorkFile& catalog, std::string_view pattern, int wantedType,
                                std::uint32_t parentId);

// The record after the current one (tree.nodeNumber, tree.recordIndex) in
// key order, following ndFLink at the end of a leaf; kNotFound at the end
// of the chain. The walk remembers the leaves it has passed.
FoundRecord NextLeafRecord(TreeWorkFile& catalog, TreeWalk& walk);

// Where a record with the key (parentId, name) belongs: the leaf read into
// the tree's node, and the index of the record it goes before
// (kBehindLastRecord: after the last one). Sibling leaves are not visited.
// The name is compared whole: '*' and '?' are ordinary characters here.
struct InsertPosition {
  SearchStatus status = SearchStatus::kNotFound;
  std::uint32_t node = 0;
  std::uint16_t recordIndex = 0;
};
InsertPosition FindInsertPosition(TreeWorkFile& catalog, std::string_view name, std::uint32_t parentId);

// The record with exactly the key (parentId, name) (exists), or where it
// would go: its leaf, read into the tree's node, and the index of the first
// record with a greater key (the record count when there is none).
// kNotFound only for an empty tree.
struct KeyPosition {
  SearchStatus status = SearchStatus::kNotFound;
  std::uint32_t node = 0;
  std::uint16_t index = 0;
  bool exists = false;
};
KeyPosition LocateCatalogKey(TreeWorkFile& catalog, std::string_view name, std::uint32_t parentId);

}  // namespace tarvo
