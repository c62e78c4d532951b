#include "hfs/delete_entries.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "base/context.h"
#include "hfs/allocation.h"
#include "hfs/btree.h"
#include "hfs/catalog_delete.h"
#include "hfs/catalog_lookup.h"
#include "hfs/catalog_search.h"
#include "hfs/file_thread.h"
#include "hfs/name_order.h"
#include "hfs/navigation.h"
#include "hfs/overflow_release.h"
#include "hfs/volume_counters.h"
#include "transfer/charset.h"

namespace tarvo {

namespace {

// Entries deleted from one folder: its valence follows once, at the end
// of a run of deletions, not after each one.
struct Removed {
  std::uint32_t entries = 0;
};

using Removal = DeleteStatus (*)(Context& ctx, const CatalogRecord& record, std::uint32_t parentId,
                                 Removed& removed);

bool ConfirmNonEmpty(Context& ctx);
// The entry `name` of the current directory (of type onlyType, when given)
// goes by the removal; a non-empty directory asks first when confirm.
DeleteStatus DeleteNamed(Context& ctx, std::string_view name, std::optional<std::uint8_t> onlyType, Removal removal,
                         bool confirm);
DeleteStatus DeleteMatches(Context& ctx, std::string_view pattern, Removed& removed);
DeleteStatus DeleteLogged(Context& ctx, const CatalogRecord& record, std::uint32_t parentId, Removed& removed);
DeleteStatus RemoveDirectory(Context& ctx, const CatalogRecord& record, std::uint32_t parentId, Removed& removed);
DeleteStatus RemoveFile(Context& ctx, const CatalogRecord& record, std::uint32_t parentId, Removed& removed);
// Every entry of directory dirId, which the caller has made current.
DeleteStatus EmptyDirectory(Context& ctx, std::uint32_t dirId);
void AdjustValence(Context& ctx, std::uint32_t dirId, const Removed& removed);
std::uint64_t LoopBound(Context& ctx);
void Log(Context& ctx, std::string_view verb, std::string_view macName);

}  // namespace

DeleteStatus DeleteEntries(Context& ctx, std::string_view pattern) {
  const std::uint32_t parentId = ctx.volume.current.currentDirId;
  Removed removed;
  const DeleteStatus status = DeleteMatches(ctx, TrimTrailingBlanks(pattern), removed);
  AdjustValence(ctx, parentId, removed);
  return status;
}

DeleteStatus DeleteItem(Context& ctx, std::string_view name, bool confirm) {
  return DeleteNamed(ctx, name, std::nullopt, DeleteLogged, confirm);
}

DeleteStatus DeleteDirectory(Context& ctx, std::string_view name) {
  return DeleteNamed(ctx, name, kDirectoryRecord, RemoveDirectory, false);
}

DeleteStatus DeleteFile(Context& ctx, std::string_view name) {
  return DeleteNamed(ctx, name, kFileRecord, RemoveFile, false);
}

namespace {

DeleteStatus DeleteNamed(Context& ctx, std::string_view name, std::optional<std::uint8_t> onlyType, Removal removal,
                         bool confirm) {
  const std::uint32_t parentId = ctx.volume.current.currentDirId;
  const std::optional<CatalogRecord> record = FindNamedRecord(ctx.volume.catalog, parentId, name);
  if (!record || (onlyType && record->type != *onlyType)) return DeleteStatus::kNotFound;
  if (confirm && record->type == kDirectoryRecord && Valence(*record) != 0 && !ConfirmNonEmpty(ctx)) {
    return DeleteStatus::kCancelled;
  }
  Removed removed;
  const DeleteStatus status = removal(ctx, *record, parentId, removed);
  AdjustValence(ctx, parentId, removed);
  return status;
}

bool ConfirmNonEmpty(Context& ctx) {
  return ctx.ui->ShowMessageBox(ctx.messages[kMsgDirectoryNotEmpty], ctx.messages[kMsgDeleteDirectory],
                                Buttons::kOkCancel, Stakes::kDestroys) != Answer::kCancel;
}

DeleteStatus DeleteMatches(Context& ctx, std::string_view pattern, Removed& removed) {
  const std::uint32_t parentId = ctx.volume.current.currentDirId;
  const bool wildcard = HasWildcard(pattern);
  DeleteStatus status = DeleteStatus::kNotFound;
  // Each round deletes the first match, so the next round finds the next.
  const std::uint64_t rounds = LoopBound(ctx);
  for (std::uint64_t round = 0; round < rounds; ++round) {
    const FoundRecord found = FindCatalogRecord(ctx.volume.catalog, pattern, kWantEntry, parentId);
    if (!found) return status;
    const std::optional<CatalogRecord> record = ReadCatalogRecord(found.record);
    if (!record) return DeleteStatus::kFailed;
    // The catalog's own equality: case and the characters it weighs alike.
    if (!wildcard && CompareNames(pattern, TrimTrailingBlanks(record->key.name)) != 0) return status;
    if (record->type == kDirectoryRecord && Valence(*record) != 0 && !ConfirmNonEmpty(ctx)) {
      return DeleteStatus::kCancelled;
    }
    const DeleteStatus one = DeleteLogged(ctx, *record, parentId, removed);
    if (one != DeleteStatus::kDone) return one;
    status = DeleteStatus::kDone;
    if (!wildcard) return status;
  }
  return status;
}

DeleteStatus DeleteLogged(Context& ctx, const CatalogRecord& record, std::uint32_t parentId, Removed& removed) {
  if (record.type == kDirectoryRecord) {
    Log(ctx, "*rd ", record.key.name);
    return RemoveDirectory(ctx, record, parentId, removed);
  }
  Log(ctx, "*del ", record.key.name);
  return record.type == kFileRecord ? RemoveFile(ctx, record, parentId, removed) : DeleteStatus::kNotFound;
}

DeleteStatus RemoveDirectory(Context& ctx, const CatalogRecord& record, std::uint32_t parentId, Removed& removed) {
  VolumeState& volume = ctx.volume;
  const std::uint32_t dirId = DirectoryId(record);
  const std::string key = record.key.name;

  const FoundRecord first = FindCatalogRecord(volume.catalog, "*", kWantEntry, dirId);
  if (first.status == SearchStatus::kDamaged) return DeleteStatus::kFailed;
  if (first) {
    if (!EnterDirectoryById(ctx, dirId)) return DeleteStatus::kFailed;
    Log(ctx, "*cd ", key);
    const DeleteStatus emptied = EmptyDirectory(ctx, dirId);
    EnterDirectoryById(ctx, parentId);
    if (emptied == DeleteStatus::kFailed) return emptied;
  }
  if (DeleteCatalogRecord(ctx, parentId, key) != CatalogEditStatus::kDone) return DeleteStatus::kFailed;
  DeleteCatalogRecord(ctx, dirId, "");  // its thread
  ++removed.entries;
  CountFolders(volume, parentId, -1);
  return DeleteStatus::kDone;
}

DeleteStatus RemoveFile(Context& ctx, const CatalogRecord& record, std::uint32_t parentId, Removed& removed) {
  const std::uint32_t fileId = FileId(record);
  std::array<std::uint8_t, 2 * kExtentRecordSize> extents{};
  std::copy_n(DataExtents(record).begin(), kExtentRecordSize, extents.begin());
  std::copy_n(ResourceExtents(record).begin(), kExtentRecordSize, extents.begin() + kExtentRecordSize);

  if (!EnsureBitmapLoaded(ctx)) return DeleteStatus::kFailed;
  if (DeleteCatalogRecord(ctx, parentId, record.key.name) != CatalogEditStatus::kDone) return DeleteStatus::kFailed;
  ++removed.entries;
  const bool threadGone = DeleteFileThread(ctx, fileId) != FileThreadStatus::kFailed;
  FreeExtentRecord(ctx, ConstBytes(extents).first(kExtentRecordSize));
  FreeExtentRecord(ctx, ConstBytes(extents).last(kExtentRecordSize));
  const bool released = ReleaseOverflowExtents(ctx, fileId);
  CountFiles(ctx.volume, parentId, -1);
  return released && threadGone ? DeleteStatus::kDone : DeleteStatus::kFailed;
}

DeleteStatus EmptyDirectory(Context& ctx, std::uint32_t dirId) {
  Removed removed;
  DeleteStatus status = DeleteStatus::kFailed;
  const std::uint64_t rounds = LoopBound(ctx);
  for (std::uint64_t round = 0; round < rounds; ++round) {
    const FoundRecord found = FindCatalogRecord(ctx.volume.catalog, "*", kWantEntry, dirId);
    if (found.status == SearchStatus::kNotFound) {
      status = DeleteStatus::kDone;
      break;
    }
    const std::optional<CatalogRecord> record = found ? ReadCatalogRecord(found.record) : std::nullopt;
    if (!record || DeleteLogged(ctx, *record, dirId, removed) != DeleteStatus::kDone) break;
  }
  AdjustValence(ctx, dirId, removed);
  return status;
}

void AdjustValence(Context& ctx, std::uint32_t dirId, const Removed& removed) {
  if (removed.entries != 0) AdjustFolderValence(ctx, dirId, -static_cast<int>(removed.entries));
}

// No procedure deletes more entries than the catalog holds records.
std::uint64_t LoopBound(Context& ctx) { return std::uint64_t{GetU32(ctx.volume.catalog.header, header::bthNRecs)} + 1; }

void Log(Context& ctx, std::string_view verb, std::string_view macName) {
  if (IsLogOpen(ctx.log)) AppendLog(ctx.log, std::string(verb) + ConvertString(macName, MacToAnsi) + "\r\n");
}

}  // namespace

}  // namespace tarvo
