// Inserting a record into the catalog tree work file.
//
// The record goes into its leaf in key order (parent ID, then name); the
// tree is kept in place (tree_edit.h): a full leaf is split, and the index
// above it follows.
//
// Every node the insertion may need (one per level and a new root) is
// reserved before anything changes, growing the catalog if needed
// (tree_space.h). A catalog that cannot grow refuses the insertion after
// "Error trying to extend catalog.", with the tree as it was: the caller
// gives back what it prepared (blocks, IDs) and may still flush.
//
// Counters: bthNRecs is kept here (+1 per record). The MDB's file and
// folder counts, drNxtCNID and the parent's valence stay with the caller.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/big_endian.h"
#include "hfs/catalog_record.h"

namespace tarvo {

struct Engine;

enum class CatalogEditStatus {
  kDone,
  kExists,    // a record with this key is already there (insertion)
  kNotFound,  // no record with this key (deletion)
  kNoRoom,    // the catalog could not grow; nothing changed
  kInvalid,   // a name longer than 31 characters, or data that fits no node
  kDamaged,   // the tree cannot be walked where the change goes; nothing changed
  kNoId,      // no catalog ID is left for a new item (volume_counters.h); nothing changed
};

// Inserts the leaf record with the key (key.parentId, key.name) and the
// record data (type byte first: a 102-byte file record, a 70-byte directory
// record, a 46-byte thread record; other types or sizes are kInvalid).
// key.keyLength is ignored: the key is written with its own length (6 +
// name length). The parent need not be the current directory.
CatalogEditStatus InsertCatalogRecord(Engine& ctx, const CatalogKey& key, ConstBytes data);

// Inserts the thread record of directory dirId: key (dirId, ""), data
// naming the directory's parent and its name.
CatalogEditStatus InsertThreadRecord(Engine& ctx, std::uint32_t dirId, std::uint32_t parentId,
                                     std::string_view name);

// Makes sure `count` insertions can follow without needing a node the
// catalog cannot give: the nodes their splits may take, up to a new root
// each, are reserved, growing the catalog if needed. An edit that deletes
// a record and inserts it again (a rename, a replace) calls this before
// its first change, so that a catalog that cannot grow refuses the edit
// with everything as it was. kNoRoom after "Error trying to extend
// catalog."; kDamaged when the catalog work file is not open.
CatalogEditStatus ReserveInsertions(Engine& ctx, std::uint32_t count);

}  // namespace tarvo
