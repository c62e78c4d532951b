// Deleting a record from the catalog tree work file.
//
// The record is removed from its leaf, in place (tree_edit.h): a leaf left
// without records is unlinked from the chain (its neighbours' links
// joined), cleared and returned to the node map, bthFNode and bthLNode move
// to the neighbours when it was the first or the last leaf, and the index
// above it follows.
//
// Counters: bthNRecs is kept here (-1 per record). The MDB's file and
// folder counts and the parent's valence stay with the caller, and so do
// the blocks of a deleted file (FreeExtentRecord, allocation.h).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "hfs/catalog_insert.h"
#include "hfs/tree_edit.h"

namespace tarvo {

struct Engine;

// Deletes the leaf record with exactly the key (parentId, name): a file or
// directory record, or with an empty name a thread record. kNotFound when
// there is none; nothing changes unless kDone.
CatalogEditStatus DeleteCatalogRecord(Engine& ctx, std::uint32_t parentId, std::string_view name);

// Deletes the leaf records with the keys (CatalogKeyBytes, or records that
// start with them; in key order, each once) a leaf at a time, as
// DeleteTreeRecords (tree_edit.h) does: keys without a record, and records
// `keep` holds on to, are passed over.
BatchDeletion DeleteCatalogRecords(Engine& ctx, std::span<const OwnedRecord> sortedKeys, const RecordFilter& keep);

}  // namespace tarvo
