#include "hfs/delete_entries.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/charset.h"
#include "base/engine.h"
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

namespace tarvo {

namespace {

// Entries deleted from one folder: its valence follows once, at the end
// of a run of deletions, not after each one.
struct Removed {
  std::uint32_t entries = 0;
};

using Removal = DeleteStatus (*)(Engine& ctx, const CatalogRecord& record, std::uint32_t parentId,
                                 Removed& removed);

// The entry `name` of the current directory (of type onlyType, when given)
// goes by the removal.
DeleteStatus DeleteNamed(Engine& ctx, std::string_view name, std::optional<std::uint8_t> onlyType, Removal removal,
                         const ConfirmNonEmpty& confirm);
DeleteStatus DeleteMatches(Engine& ctx, std::string_view pattern, const ConfirmNonEmpty& confirm, Removed& removed);
// Whether the directory record may go: empty, or allowed by confirm.
bool MayGo(const CatalogRecord& directory, const ConfirmNonEmpty& confirm);
// Which of the found records are to go: the first one refused ends the run.
using Wanted = std::function<bool(const CatalogRecord& record)>;
// The found entries of directory parentId (records in key order), in that
// order.
DeleteStatus DeleteFound(Engine& ctx, std::vector<OwnedRecord>& records, std::uint32_t parentId, Removed& removed,
                         const Wanted& wanted, const ConfirmNonEmpty& confirm);
DeleteStatus DeleteLogged(Engine& ctx, const CatalogRecord& record, std::uint32_t parentId, Removed& removed);
DeleteStatus RemoveDirectory(Engine& ctx, const CatalogRecord& record, std::uint32_t parentId, Removed& removed);
DeleteStatus RemoveFile(Engine& ctx, const CatalogRecord& record, std::uint32_t parentId, Removed& removed);
// The files (their records, of directory parentId, in key order) go
// together: the catalog loses their records a leaf at a time.
DeleteStatus RemoveFiles(Engine& ctx, std::vector<OwnedRecord> files, std::uint32_t parentId, Removed& removed);
// Every entry of directory dirId, which the caller has made current.
DeleteStatus EmptyDirectory(Engine& ctx, std::uint32_t dirId);
void AdjustValence(Engine& ctx, std::uint32_t dirId, const Removed& removed);
void Log(Engine& ctx, std::string_view verb, std::string_view macName);

}  // namespace

DeleteStatus DeleteEntries(Engine& ctx, std::string_view pattern, const ConfirmNonEmpty& confirm) {
  const std::uint32_t parentId = ctx.volume.current.currentDirId;
  Removed removed;
  const DeleteStatus status = DeleteMatches(ctx, TrimTrailingBlanks(pattern), confirm, removed);
  AdjustValence(ctx, parentId, removed);
  return status;
}

DeleteStatus DeleteItem(Engine& ctx, std::string_view name, const ConfirmNonEmpty& confirm) {
  return DeleteNamed(ctx, name, std::nullopt, DeleteLogged, confirm);
}

DeleteStatus DeleteDirectory(Engine& ctx, std::string_view name) {
  return DeleteNamed(ctx, name, kDirectoryRecord, RemoveDirectory, nullptr);
}

DeleteStatus DeleteFile(Engine& ctx, std::string_view name) {
  return DeleteNamed(ctx, name, kFileRecord, RemoveFile, nullptr);
}

namespace {

DeleteStatus DeleteNamed(Engine& ctx, std::string_view name, std::optional<std::uint8_t> onlyType, Removal removal,
                         const ConfirmNonEmpty& confirm) {
  const std::uint32_t parentId = ctx.volume.current.currentDirId;
  const std::optional<CatalogRecord> record = FindNamedRecord(ctx.volume.catalog, parentId, name);
  if (!record || (onlyType && record->type != *onlyType)) return DeleteStatus::kNotFound;
  if (record->type == kDirectoryRecord && !MayGo(*record, confirm)) return DeleteStatus::kCancelled;
  Removed removed;
  const DeleteStatus status = removal(ctx, *record, parentId, removed);
  AdjustValence(ctx, parentId, removed);
  return status;
}

bool MayGo(const CatalogRecord& directory, const ConfirmNonEmpty& confirm) {
  return !confirm || Valence(directory) == 0 || confirm();
}

DeleteStatus DeleteMatches(Engine& ctx, std::string_view pattern, const ConfirmNonEmpty& confirm, Removed& removed) {
  const std::uint32_t parentId = ctx.volume.current.currentDirId;
  const bool wildcard = HasWildcard(pattern);
  FoundRecords found = FindCatalogRecords(ctx.volume.catalog, pattern, kWantEntry, parentId);
  if (!wildcard && !found.records.empty()) found.records.resize(1);
  // The catalog's own equality: case and the characters it weighs alike.
  const Wanted named = [&](const CatalogRecord& record) {
    return wildcard || CompareNames(pattern, TrimTrailingBlanks(record.key.name)) == 0;
  };
  return DeleteFound(ctx, found.records, parentId, removed, named, confirm);
}

DeleteStatus DeleteFound(Engine& ctx, std::vector<OwnedRecord>& records, std::uint32_t parentId, Removed& removed,
                         const Wanted& wanted, const ConfirmNonEmpty& confirm) {
  DeleteStatus status = DeleteStatus::kNotFound;
  // Files go a batch at a time: the run of them before a directory, which
  // may ask first, and the run at the end.
  std::vector<OwnedRecord> files;
  const auto removeFiles = [&] {
    const DeleteStatus done =
        files.empty() ? DeleteStatus::kDone : RemoveFiles(ctx, std::move(files), parentId, removed);
    files.clear();  // moved from: empty again for the next run
    return done;
  };
  for (OwnedRecord& raw : records) {
    const std::optional<CatalogRecord> record = ReadCatalogRecord(raw);
    if (!record) {
      removeFiles();
      return DeleteStatus::kFailed;
    }
    if (!wanted(*record)) break;
    if (record->type == kDirectoryRecord) {
      if (removeFiles() != DeleteStatus::kDone) return DeleteStatus::kFailed;
      if (!MayGo(*record, confirm)) return DeleteStatus::kCancelled;
      const DeleteStatus one = DeleteLogged(ctx, *record, parentId, removed);
      if (one != DeleteStatus::kDone) return one;
    } else {
      Log(ctx, "*del ", record->key.name);
      files.push_back(std::move(raw));
    }
    status = DeleteStatus::kDone;
  }
  return removeFiles() == DeleteStatus::kDone ? status : DeleteStatus::kFailed;
}

DeleteStatus DeleteLogged(Engine& ctx, const CatalogRecord& record, std::uint32_t parentId, Removed& removed) {
  if (record.type == kDirectoryRecord) {
    Log(ctx, "*rd ", record.key.name);
    return RemoveDirectory(ctx, record, parentId, removed);
  }
  Log(ctx, "*del ", record.key.name);
  return record.type == kFileRecord ? RemoveFile(ctx, record, parentId, removed) : DeleteStatus::kNotFound;
}

DeleteStatus RemoveDirectory(Engine& ctx, const CatalogRecord& record, std::uint32_t parentId, Removed& removed) {
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

DeleteStatus RemoveFile(Engine& ctx, const CatalogRecord& record, std::uint32_t parentId, Removed& removed) {
  OwnedRecord whole = CatalogKeyBytes(parentId, record.key.name);
  whole.insert(whole.end(), record.data.begin(), record.data.end());
  return RemoveFiles(ctx, {std::move(whole)}, parentId, removed);
}

DeleteStatus RemoveFiles(Engine& ctx, std::vector<OwnedRecord> files, std::uint32_t parentId, Removed& removed) {
  if (!EnsureBitmapLoaded(ctx)) return DeleteStatus::kFailed;
  // Each record starts with its key, which is all the deletion compares.
  const BatchDeletion deletion = DeleteCatalogRecords(ctx, files, nullptr);
  bool released = deletion.status == TreeEditStatus::kDone;
  std::vector<std::uint32_t> fileIds;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::optional<CatalogRecord> record = ReadCatalogRecord(files[i]);
    if (!deletion.deleted[i] || !record) {
      released = false;
      continue;
    }
    ++removed.entries;
    fileIds.push_back(FileId(*record));
    FreeExtentRecord(ctx, DataExtents(*record).first(kExtentRecordSize));
    FreeExtentRecord(ctx, ResourceExtents(*record).first(kExtentRecordSize));
    released = ReleaseOverflowExtents(ctx, FileId(*record)) && released;
    CountFiles(ctx.volume, parentId, -1);
  }
  const bool threadsGone = fileIds.empty() || DeleteFileThreads(ctx, fileIds) != FileThreadStatus::kFailed;
  return released && threadsGone ? DeleteStatus::kDone : DeleteStatus::kFailed;
}

DeleteStatus EmptyDirectory(Engine& ctx, std::uint32_t dirId) {
  Removed removed;
  FoundRecords found = FindCatalogRecords(ctx.volume.catalog, "*", kWantEntry, dirId);
  DeleteStatus status = found.status == SearchStatus::kDamaged ? DeleteStatus::kFailed : DeleteStatus::kDone;
  if (status == DeleteStatus::kDone && !found.records.empty()) {
    const Wanted all = [](const CatalogRecord&) { return true; };
    if (DeleteFound(ctx, found.records, dirId, removed, all, nullptr) != DeleteStatus::kDone) {
      status = DeleteStatus::kFailed;
    }
  }
  AdjustValence(ctx, dirId, removed);
  return status;
}

void AdjustValence(Engine& ctx, std::uint32_t dirId, const Removed& removed) {
  if (removed.entries != 0) AdjustFolderValence(ctx, dirId, -static_cast<int>(removed.entries));
}

void Log(Engine& ctx, std::string_view verb, std::string_view macName) {
  if (IsLogOpen(ctx.log)) AppendLog(ctx.log, std::string(verb) + ConvertString(macName, MacToAnsi) + "\r\n");
}

}  // namespace

}  // namespace tarvo
