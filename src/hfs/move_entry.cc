#include "hfs/move_entry.h"

#include <vector>

#include "base/engine.h"
#include "hfs/btree.h"
#include "hfs/catalog_delete.h"
#include "hfs/catalog_lookup.h"
#include "hfs/catalog_search.h"
#include "hfs/file_thread.h"
#include "hfs/name_order.h"
#include "hfs/navigation.h"
#include "hfs/rename_entries.h"
#include "hfs/volume_counters.h"
#include "hfs/work_file.h"

namespace tarvo {

namespace {

bool IsFolderOrInside(Engine& ctx, std::uint32_t folderId, std::uint32_t dirId);

}  // namespace

MoveStatus MoveEntry(Engine& ctx, std::uint32_t fromParent, std::string_view fromName, std::uint32_t toParent,
                     std::string_view toName) {
  TreeWorkFile& catalog = ctx.volume.catalog;
  if (toName.empty() || toName.size() > kMaxNameLength) return MoveStatus::kNotFound;
  const std::optional<CatalogRecord> record = FindNamedRecord(catalog, fromParent, fromName);
  if (!record || (record->type != kFileRecord && record->type != kDirectoryRecord)) return MoveStatus::kNotFound;
  const bool directory = record->type == kDirectoryRecord;
  const std::uint32_t id = directory ? DirectoryId(*record) : FileId(*record);
  const std::vector<std::uint8_t> data(record->data.begin(),
                                       record->data.begin() + static_cast<std::ptrdiff_t>(directory ? dirrec::kSize
                                                                                                    : filrec::kSize));
  const std::string oldName = record->key.name;
  if (fromParent == toParent) {
    if (CompareNames(oldName, toName) != 0 && FindNamedRecord(catalog, toParent, toName)) return MoveStatus::kExists;
  } else {
    if (FindNamedRecord(catalog, toParent, toName)) return MoveStatus::kExists;
    if (!FindCatalogRecord(catalog, "*", kWantThread, toParent)) return MoveStatus::kNotFound;
    if (directory && IsFolderOrInside(ctx, id, toParent)) return MoveStatus::kIntoItself;
  }

  const CatalogEditStatus room = ReserveInsertions(ctx, 1);
  if (room == CatalogEditStatus::kNoRoom) return MoveStatus::kNoRoom;
  if (room != CatalogEditStatus::kDone) return MoveStatus::kFailed;
  if (DeleteCatalogRecord(ctx, fromParent, oldName) != CatalogEditStatus::kDone) return MoveStatus::kFailed;
  if (InsertCatalogRecord(ctx, CatalogKey{0, toParent, std::string(toName)}, data) != CatalogEditStatus::kDone) {
    InsertCatalogRecord(ctx, CatalogKey{0, fromParent, oldName}, data);
    return MoveStatus::kFailed;
  }
  const bool threadKept = directory ? SetThreadParentAndName(ctx, id, toParent, toName)
                                    : RewriteFileThread(ctx, id, toParent, toName) != FileThreadStatus::kFailed;
  if (fromParent != toParent) {
    (directory ? CountFolders : CountFiles)(ctx.volume, fromParent, -1);
    (directory ? CountFolders : CountFiles)(ctx.volume, toParent, 1);
    AdjustFolderValence(ctx, fromParent, -1);
    AdjustFolderValence(ctx, toParent, 1);
  }
  return threadKept ? MoveStatus::kDone : MoveStatus::kFailed;
}

namespace {

// Climbs from dirId to the root along the thread records; the climb is
// bounded by the catalog's record count, so a cycle of a damaged catalog
// ends it.
bool IsFolderOrInside(Engine& ctx, std::uint32_t folderId, std::uint32_t dirId) {
  TreeWorkFile& catalog = ctx.volume.catalog;
  const std::uint64_t bound = std::uint64_t{GetU32(catalog.header, header::bthNRecs)} + 1;
  for (std::uint64_t step = 0; step < bound && dirId > kRootParentId; ++step) {
    if (dirId == folderId) return true;
    const FoundRecord found = FindCatalogRecord(catalog, "*", kWantThread, dirId);
    const std::optional<CatalogRecord> thread = found ? ReadCatalogRecord(found.record) : std::nullopt;
    if (!thread) return true;
    dirId = ThreadParentId(*thread);
  }
  return dirId != kRootParentId;
}

}  // namespace

}  // namespace tarvo
