#include "folder_cache.h"

#include <algorithm>

#include "hfs/catalog_lookup.h"
#include "hfs/catalog_search.h"
#include "hfs/name_order.h"
#include "ui/context.h"

namespace tarvo {

CatalogEntry EntryOfRecord(const CatalogRecord& record) {
  CatalogEntry entry;
  entry.macName = record.key.name;
  entry.parentId = record.key.parentId;
  entry.directory = record.type == kDirectoryRecord;
  entry.created = CreationDate(record);
  entry.modified = ModificationDate(record);
  ConstBytes data = record.data;
  if (entry.directory) {
    entry.id = DirectoryId(record);
    std::copy_n(data.begin() + dirrec::dirUsrInfo, 16, entry.finderInfo.begin());
    std::copy_n(data.begin() + dirrec::dirFndrInfo, 16, entry.finderInfo.begin() + 16);
    return entry;
  }
  entry.id = FileId(record);
  entry.locked = (GetU8(data, filrec::filFlags) & 0x01) != 0;
  entry.dataLength = DataLogicalLength(record);
  entry.resourceLength = ResourceLogicalLength(record);
  entry.dataPhysical = GetU32(data, filrec::filPyLen);
  entry.resourcePhysical = GetU32(data, filrec::filRPyLen);
  std::copy_n(data.begin() + filrec::filUsrWds, 16, entry.finderInfo.begin());
  std::copy_n(data.begin() + filrec::filFndrInfo, 16, entry.finderInfo.begin() + 16);
  std::copy_n(DataExtents(record).begin(), kExtentRecordSize, entry.dataExtents.begin());
  std::copy_n(ResourceExtents(record).begin(), kExtentRecordSize, entry.resourceExtents.begin());
  return entry;
}

namespace {

bool NameBefore(const CatalogEntry& entry, std::string_view name) { return CompareNames(entry.macName, name) < 0; }

}  // namespace

const std::vector<CatalogEntry>* FolderCache::Listing(std::uint32_t dirId) {
  Folder& folder = Load(dirId);
  return folder.readable ? &folder.entries : nullptr;
}

const CatalogEntry* FolderCache::Find(std::uint32_t dirId, std::string_view macName) {
  const std::vector<CatalogEntry>& entries = Load(dirId).entries;
  const auto it = std::lower_bound(entries.begin(), entries.end(), macName, NameBefore);
  if (it == entries.end() || CompareNames(it->macName, macName) != 0) return nullptr;
  return &*it;
}

const CatalogEntry* FolderCache::Root() {
  const std::vector<CatalogEntry>* top = Listing(kRootParentId);
  if (top == nullptr) return nullptr;
  for (const CatalogEntry& entry : *top) {
    if (entry.directory && entry.id == kRootDirId) return &entry;
  }
  return nullptr;
}

void FolderCache::Update(std::uint32_t dirId, std::string_view macName) {
  const auto known = folders_.find(dirId);
  if (known == folders_.end()) return;
  std::vector<CatalogEntry>& entries = known->second.entries;
  auto it = std::lower_bound(entries.begin(), entries.end(), macName, NameBefore);
  if (it != entries.end() && CompareNames(it->macName, macName) == 0) it = entries.erase(it);
  const std::optional<CatalogRecord> record = FindNamedRecord(ctx_.volume.catalog, dirId, macName);
  if (record && (record->type == kFileRecord || record->type == kDirectoryRecord)) {
    entries.insert(it, EntryOfRecord(*record));
  }
}

FolderCache::Folder& FolderCache::Load(std::uint32_t dirId) {
  const auto known = folders_.find(dirId);
  if (known != folders_.end()) return known->second;
  Folder& folder = folders_[dirId];
  TreeWorkFile& catalog = ctx_.volume.catalog;
  if (catalog.handle == nullptr) return folder;
  FoundRecord found = FindCatalogRecord(catalog, "*", kWantEntry, dirId);
  folder.readable = found.status != SearchStatus::kDamaged;
  // The walk along the leaves is bounded by the catalog's node count.
  TreeWalk walk = StartWalk(catalog);
  for (; found; found = NextLeafRecord(catalog, walk)) {
    const std::optional<CatalogRecord> record = ReadCatalogRecord(found.record);
    if (!record || record->key.parentId != dirId) break;
    if (record->type == kDirectoryRecord || record->type == kFileRecord) folder.entries.push_back(EntryOfRecord(*record));
  }
  // A damaged catalog may hold its records out of order.
  std::stable_sort(folder.entries.begin(), folder.entries.end(), [](const CatalogEntry& a, const CatalogEntry& b) {
    return CompareNames(a.macName, b.macName) < 0;
  });
  return folder;
}

}  // namespace tarvo
