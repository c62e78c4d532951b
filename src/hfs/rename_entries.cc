#include "hfs/rename_entries.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "base/charset.h"
#include "base/engine.h"
#include "hfs/btree.h"
#include "hfs/catalog_delete.h"
#include "hfs/catalog_lookup.h"
#include "hfs/catalog_search.h"
#include "hfs/file_thread.h"
#include "hfs/name_order.h"
#include "hfs/work_file.h"

namespace tarvo {

namespace {

std::vector<std::string> MatchingNames(Engine& ctx, std::string_view pattern, bool all);
RenameStatus RenameOne(Engine& ctx, const std::string& oldName, const std::string& newName,
                       const RenameQuestions& ask);
// The thread of directory dirId names parentId (its own parent when none)
// and name.
bool RewriteThread(Engine& ctx, std::uint32_t dirId, std::optional<std::uint32_t> parentId, std::string_view name);

}  // namespace

RenameStatus RenameEntries(Engine& ctx, std::string_view pattern, std::string_view newName,
                           const RenameQuestions& ask) {
  pattern = TrimTrailingBlanks(pattern);
  newName = newName.substr(0, kMaxNameLength);
  if (HasWildcard(pattern) != HasWildcard(newName) && !ask.oneSidedWildcard()) return RenameStatus::kCancelled;
  const std::vector<std::string> matches = MatchingNames(ctx, pattern, HasWildcard(newName));
  if (matches.empty()) return RenameStatus::kNotFound;
  RenameStatus status = RenameStatus::kUnchanged;
  for (const std::string& oldName : matches) {
    const std::string name = RenamedName(pattern, newName, oldName);
    if (name.empty() || name == oldName) continue;
    const RenameStatus one = RenameOne(ctx, oldName, name, ask);
    // A catalog that cannot grow refuses every other rename the same way.
    if (one == RenameStatus::kNoRoom) return one;
    if (one == RenameStatus::kFailed || status == RenameStatus::kUnchanged) status = one;
  }
  return status;
}

RenameStatus RenameEntry(Engine& ctx, std::string_view oldName, std::string_view newName,
                         const RenameQuestions& ask) {
  newName = newName.substr(0, kMaxNameLength);
  if (newName.empty() || newName == oldName) return RenameStatus::kUnchanged;
  return RenameOne(ctx, std::string(oldName), std::string(newName), ask);
}

std::string RenamedName(std::string_view pattern, std::string_view newName, std::string_view oldName) {
  std::string name(newName);
  if (HasWildcard(newName)) {
    const std::size_t kept = std::min(WildcardPrefix(pattern).size(), oldName.size());
    name = std::string(WildcardPrefix(newName)) + std::string(oldName.substr(kept));
  }
  return name.substr(0, kMaxNameLength);
}

CatalogEditStatus ReplaceRecordName(Engine& ctx, std::uint32_t parentId, std::string_view oldName,
                                    std::string_view newName) {
  const std::optional<CatalogRecord> record = FindNamedRecord(ctx.volume.catalog, parentId, oldName);
  if (!record) return CatalogEditStatus::kNotFound;
  const std::size_t size = record->type == kDirectoryRecord ? dirrec::kSize : filrec::kSize;
  const std::vector<std::uint8_t> data(record->data.begin(), record->data.begin() + static_cast<std::ptrdiff_t>(size));
  const std::string key = record->key.name;

  // The record goes only once its insertion under the new key is sure of
  // its nodes.
  const CatalogEditStatus room = ReserveInsertions(ctx, 1);
  if (room != CatalogEditStatus::kDone) return room;
  const CatalogEditStatus deleted = DeleteCatalogRecord(ctx, parentId, key);
  if (deleted != CatalogEditStatus::kDone) return deleted;
  const CatalogEditStatus inserted = InsertCatalogRecord(ctx, CatalogKey{0, parentId, std::string(newName)}, data);
  if (inserted != CatalogEditStatus::kDone) InsertCatalogRecord(ctx, CatalogKey{0, parentId, key}, data);
  return inserted;
}

bool SetThreadName(Engine& ctx, std::uint32_t dirId, std::string_view name) {
  return RewriteThread(ctx, dirId, std::nullopt, name);
}

bool SetThreadParentAndName(Engine& ctx, std::uint32_t dirId, std::uint32_t parentId, std::string_view name) {
  return RewriteThread(ctx, dirId, parentId, name);
}

namespace {

// The names of the current directory's entries that match, in key order;
// only the first unless all.
std::vector<std::string> MatchingNames(Engine& ctx, std::string_view pattern, bool all) {
  TreeWorkFile& catalog = ctx.volume.catalog;
  const std::uint32_t dirId = ctx.volume.current.currentDirId;
  std::vector<std::string> names;
  FoundRecord found = FindCatalogRecord(catalog, pattern, kWantEntry, dirId);
  TreeWalk walk = StartWalk(catalog);
  while (found) {
    const std::optional<CatalogRecord> record = ReadCatalogRecord(found.record);
    if (!record || record->key.parentId != dirId) break;
    const bool entry = record->type == kFileRecord || record->type == kDirectoryRecord;
    if (entry && MatchName(pattern, record->key.name) == 0) {
      names.push_back(record->key.name);
      if (!all) break;
    }
    found = NextLeafRecord(catalog, walk);
  }
  return names;
}

bool RewriteThread(Engine& ctx, std::uint32_t dirId, std::optional<std::uint32_t> parentId, std::string_view name) {
  TreeWorkFile& catalog = ctx.volume.catalog;
  const FoundRecord found = FindCatalogRecord(catalog, "*", kWantThread, dirId);
  std::optional<CatalogRecord> thread = found ? ReadCatalogRecord(found.record) : std::nullopt;
  if (!thread || !PutThreadParentAndName(thread->data, parentId.value_or(ThreadParentId(*thread)), name)) return false;
  return WriteNode(catalog, catalog.nodeNumber, catalog.node);
}

RenameStatus RenameOne(Engine& ctx, const std::string& oldName, const std::string& newName,
                       const RenameQuestions& ask) {
  const std::uint32_t dirId = ctx.volume.current.currentDirId;
  TreeWorkFile& catalog = ctx.volume.catalog;
  if (CompareNames(oldName, newName) != 0 && FindNamedRecord(catalog, dirId, newName)) {
    ask.nameTaken(newName);
    return RenameStatus::kFailed;
  }
  const std::optional<CatalogRecord> record = FindNamedRecord(catalog, dirId, oldName);
  if (!record) return RenameStatus::kFailed;
  const bool directory = record->type == kDirectoryRecord;
  const std::uint32_t id = directory ? DirectoryId(*record) : FileId(*record);
  const CatalogEditStatus renamed = ReplaceRecordName(ctx, dirId, oldName, newName);
  if (renamed == CatalogEditStatus::kNoRoom) return RenameStatus::kNoRoom;
  if (renamed != CatalogEditStatus::kDone) return RenameStatus::kFailed;
  if (IsLogOpen(ctx.log)) {
    AppendLog(ctx.log, "*ren " + ConvertString(oldName, MacToAnsi) + "\t" + ConvertString(newName, MacToAnsi) + "\r\n");
  }
  if (directory ? !SetThreadName(ctx, id, newName)
                : RewriteFileThread(ctx, id, dirId, newName) == FileThreadStatus::kFailed) {
    return RenameStatus::kFailed;
  }
  return RenameStatus::kDone;
}

}  // namespace

}  // namespace tarvo
