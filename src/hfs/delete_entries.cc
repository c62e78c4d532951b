#include "hfs/delete_entries.h"

#include <algorithm>
#include <array>
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

bool ConfirmNonEmpty(Context& ctx);
DeleteStatus DeleteLogged(Context& ctx, const std::string& name, std::uint8_t type);
// Every entry of directory dirId, which the caller has made current.
DeleteStatus EmptyDirectory(Context& ctx, std::uint32_t dirId);
std::uint64_t LoopBound(Context& ctx);
void Log(Context& ctx, std::string_view verb, std::string_view macName);

}  // namespace

DeleteStatus DeleteEntries(Context& ctx, std::string_view pattern) {
  pattern = TrimTrailingBlanks(pattern);
  const bool wildcard = HasWildcard(pattern);
  DeleteStatus status = DeleteStatus::kNotFound;
  // Each round deletes the first match, so the next round finds the next.
  const std::uint64_t rounds = LoopBound(ctx);
  for (std::uint64_t round = 0; round < rounds; ++round) {
    const FoundRecord found =
        FindCatalogRecord(ctx.volume.catalog, pattern, kWantEntry, ctx.volume.current.currentDirId);
    if (!found) return status;
    const std::optional<CatalogRecord> record = ReadCatalogRecord(found.record);
    if (!record) return DeleteStatus::kFailed;
    const std::string name = record->key.name;
    // The catalog's own equality: case and the characters it weighs alike.
    if (!wildcard && CompareNames(pattern, TrimTrailingBlanks(name)) != 0) return status;
    if (record->type == kDirectoryRecord && Valence(*record) != 0 && !ConfirmNonEmpty(ctx)) {
      return DeleteStatus::kCancelled;
    }
    const DeleteStatus one = DeleteLogged(ctx, name, record->type);
    if (one != DeleteStatus::kDone) return one;
    status = DeleteStatus::kDone;
    if (!wildcard) return status;
  }
  return status;
}

DeleteStatus DeleteItem(Context& ctx, std::string_view name, bool confirm) {
  const std::optional<CatalogRecord> record =
      FindNamedRecord(ctx.volume.catalog, ctx.volume.current.currentDirId, name);
  if (!record) return DeleteStatus::kNotFound;
  const std::uint8_t type = record->type;
  const std::string key = record->key.name;
  if (type == kDirectoryRecord && Valence(*record) != 0 && confirm && !ConfirmNonEmpty(ctx)) {
    return DeleteStatus::kCancelled;
  }
  return DeleteLogged(ctx, key, type);
}

DeleteStatus DeleteDirectory(Context& ctx, std::string_view name) {
  VolumeState& volume = ctx.volume;
  const std::uint32_t parentId = volume.current.currentDirId;
  const std::optional<CatalogRecord> record = FindNamedRecord(volume.catalog, parentId, name);
  if (!record || record->type != kDirectoryRecord) return DeleteStatus::kNotFound;
  const std::uint32_t dirId = DirectoryId(*record);
  const std::string key = record->key.name;

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
  AdjustFolderValence(ctx, parentId, -1);
  CountFolders(volume, parentId, -1);
  return DeleteStatus::kDone;
}

DeleteStatus DeleteFile(Context& ctx, std::string_view name) {
  VolumeState& volume = ctx.volume;
  const std::uint32_t parentId = volume.current.currentDirId;
  const std::optional<CatalogRecord> record = FindNamedRecord(volume.catalog, parentId, name);
  if (!record || record->type != kFileRecord) return DeleteStatus::kNotFound;
  const std::uint32_t fileId = FileId(*record);
  const std::string key = record->key.name;
  std::array<std::uint8_t, 2 * kExtentRecordSize> extents{};
  std::copy_n(DataExtents(*record).begin(), kExtentRecordSize, extents.begin());
  std::copy_n(ResourceExtents(*record).begin(), kExtentRecordSize, extents.begin() + kExtentRecordSize);

  if (!EnsureBitmapLoaded(ctx)) return DeleteStatus::kFailed;
  if (DeleteCatalogRecord(ctx, parentId, key) != CatalogEditStatus::kDone) return DeleteStatus::kFailed;
  const bool threadGone = DeleteFileThread(ctx, fileId) != FileThreadStatus::kFailed;
  FreeExtentRecord(ctx, ConstBytes(extents).first(kExtentRecordSize));
  FreeExtentRecord(ctx, ConstBytes(extents).last(kExtentRecordSize));
  const bool released = ReleaseOverflowExtents(ctx, fileId);
  AdjustFolderValence(ctx, parentId, -1);
  CountFiles(volume, parentId, -1);
  return released && threadGone ? DeleteStatus::kDone : DeleteStatus::kFailed;
}

namespace {

bool ConfirmNonEmpty(Context& ctx) {
  return ctx.ui->ShowMessageBox(ctx.messages[kMsgDirectoryNotEmpty], ctx.messages[kMsgDeleteDirectory],
                                Buttons::kOkCancel, Stakes::kDestroys) != Answer::kCancel;
}

DeleteStatus DeleteLogged(Context& ctx, const std::string& name, std::uint8_t type) {
  if (type == kDirectoryRecord) {
    Log(ctx, "*rd ", name);
    return DeleteDirectory(ctx, name);
  }
  Log(ctx, "*del ", name);
  return DeleteFile(ctx, name);
}

DeleteStatus EmptyDirectory(Context& ctx, std::uint32_t dirId) {
  const std::uint64_t rounds = LoopBound(ctx);
  for (std::uint64_t round = 0; round < rounds; ++round) {
    const FoundRecord found = FindCatalogRecord(ctx.volume.catalog, "*", kWantEntry, dirId);
    if (found.status == SearchStatus::kNotFound) return DeleteStatus::kDone;
    const std::optional<CatalogRecord> record = found ? ReadCatalogRecord(found.record) : std::nullopt;
    if (!record) return DeleteStatus::kFailed;
    const std::string name = record->key.name;
    if (DeleteLogged(ctx, name, record->type) != DeleteStatus::kDone) return DeleteStatus::kFailed;
  }
  return DeleteStatus::kFailed;
}

// No procedure deletes more entries than the catalog holds records.
std::uint64_t LoopBound(Context& ctx) { return std::uint64_t{GetU32(ctx.volume.catalog.header, header::bthNRecs)} + 1; }

void Log(Context& ctx, std::string_view verb, std::string_view macName) {
  if (IsLogOpen(ctx.log)) AppendLog(ctx.log, std::string(verb) + ConvertString(macName, MacToAnsi) + "\r\n");
}

}  // namespace

}  // namespace tarvo
