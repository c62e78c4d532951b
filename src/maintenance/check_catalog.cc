#include "maintenance/check_catalog.h"

#include <algorithm>
#include <map>
#include <string>

#include "base/volume_state.h"
#include "hfs/catalog_record.h"
#include "hfs/volume_counters.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"

namespace tarvo {

namespace {

struct Item {
  bool folder = false;
  std::uint32_t parent = 0;
  std::string name;
  std::uint16_t valence = 0;
  bool threadFlagged = false;  // a file whose flags say it has a thread
};

struct Thread {
  std::uint32_t parent = 0;
  std::string name;
};

struct Catalog {
  std::map<std::uint32_t, Item> items;  // by file or folder ID
  std::map<std::uint32_t, std::vector<Thread>> folderThreads, fileThreads;
  std::map<std::uint32_t, std::uint32_t> entries;  // records per parent ID
  std::uint32_t files = 0, folders = 0, rootFiles = 0, rootFolders = 0;
  std::uint32_t highestId = 0;
};

void ReadRecords(std::vector<LeafRecord>& records, Catalog& catalog, std::vector<Fork>& forks,
                 std::vector<Finding>& findings);
void CheckItems(const Catalog& catalog, std::vector<Finding>& findings);
void CheckOrphanThreads(const Catalog& catalog, std::vector<Finding>& findings);
void CheckHeaderCounters(const Catalog& catalog, ConstBytes mdb, std::vector<Finding>& findings);
void CheckThreads(const std::vector<Thread>* threads, std::uint32_t id, const Item& item,
                  std::vector<Finding>& findings);

}  // namespace

std::vector<Fork> CheckCatalog(std::vector<LeafRecord> records, ConstBytes mdb, std::vector<Finding>& findings) {
  Catalog catalog;
  std::vector<Fork> forks;
  ReadRecords(records, catalog, forks, findings);
  CheckItems(catalog, findings);
  CheckOrphanThreads(catalog, findings);
  CheckHeaderCounters(catalog, mdb, findings);
  return forks;
}

namespace {

void ReadRecords(std::vector<LeafRecord>& records, Catalog& catalog, std::vector<Fork>& forks,
                 std::vector<Finding>& findings) {
  forks.reserve(2 * records.size());  // at most two a record: no copies on the way
  for (LeafRecord& leaf : records) {
    const std::optional<CatalogRecord> r = ReadCatalogRecord(leaf.bytes);
    if (!r) {
      Report(findings, Problem::kRecordDamaged, {.tree = "catalog", .node = leaf.node, .record = leaf.index});
      continue;
    }
    if (r->type == kDirectoryThread || r->type == kFileThread) {
      if (!r->key.name.empty()) {
        Report(findings, Problem::kThreadKeyHasName, {.node = leaf.node, .record = leaf.index});
      }
      auto& threads = r->type == kDirectoryThread ? catalog.folderThreads : catalog.fileThreads;
      threads[r->key.parentId].push_back(Thread{ThreadParentId(*r), ThreadName(*r)});
      continue;
    }

    const bool folder = r->type == kDirectoryRecord;
    const std::uint32_t id = folder ? DirectoryId(*r) : FileId(*r);
    const std::uint32_t parent = r->key.parentId;
    const bool isRoot = folder && id == kRootDirId && parent == kRootParentId;
    ++catalog.entries[parent];
    if (!isRoot) ++(folder ? catalog.folders : catalog.files);
    if (parent == kRootDirId) ++(folder ? catalog.rootFolders : catalog.rootFiles);
    catalog.highestId = std::max(catalog.highestId, id);
    if (!isRoot && id < kFirstUserCatalogId) {
      Report(findings, Problem::kIdReserved, {.id = id, .name = r->key.name});
    }
    const auto place = catalog.items.lower_bound(id);
    if (place != catalog.items.end() && place->first == id) {
      Report(findings, Problem::kIdUsedTwice, {.id = id, .name = r->key.name, .other = place->second.name});
      continue;
    }
    catalog.items.emplace_hint(
        place, id,
        Item{folder, parent, r->key.name, folder ? Valence(*r) : std::uint16_t{0}, !folder && HasThreadFlag(*r)});
    if (folder) continue;

    for (const std::uint8_t forkType : {kDataFork, kResourceFork}) {
      const bool data = forkType == kDataFork;
      Fork fork{r->key.name, id, forkType,
                GetU32(r->data, data ? filrec::filLgLen : filrec::filRLgLen),
                GetU32(r->data, data ? filrec::filPyLen : filrec::filRPyLen)};
      const Bytes extents = data ? DataExtents(*r) : ResourceExtents(*r);
      std::copy(extents.begin(), extents.end(), fork.extents.begin());
      forks.push_back(std::move(fork));
    }
  }
}

void CheckItems(const Catalog& catalog, std::vector<Finding>& findings) {
  const auto root = catalog.items.find(kRootDirId);
  if (root == catalog.items.end() || !root->second.folder || root->second.parent != kRootParentId) {
    Report(findings, Problem::kRootMissing, {});
  }
  for (const auto& [id, item] : catalog.items) {
    const auto parent = catalog.items.find(item.parent);
    const bool isRoot = id == kRootDirId && item.parent == kRootParentId;
    if (!isRoot && (parent == catalog.items.end() || !parent->second.folder)) {
      Report(findings, Problem::kParentMissing, {.id = id, .name = item.name, .found = item.parent});
    }
    if (!item.folder) {
      const auto threads = catalog.fileThreads.find(id);
      if (threads != catalog.fileThreads.end()) {
        CheckThreads(&threads->second, id, item, findings);
      } else if (item.threadFlagged) {
        Report(findings, Problem::kFileThreadMissing, {.id = id, .name = item.name});
      }
      continue;
    }
    const auto entries = catalog.entries.find(id);
    const std::uint32_t count = entries == catalog.entries.end() ? 0 : entries->second;
    if (item.valence != count) {
      Report(findings, Problem::kValenceWrong, {.id = id, .name = item.name, .found = item.valence, .expected = count});
    }
    const auto threads = catalog.folderThreads.find(id);
    CheckThreads(threads == catalog.folderThreads.end() ? nullptr : &threads->second, id, item, findings);
  }
}

// A folder needs exactly one thread; a file may have one (CheckItems
// tells a flagged file without one).
void CheckThreads(const std::vector<Thread>* threads, std::uint32_t id, const Item& item,
                  std::vector<Finding>& findings) {
  if (threads == nullptr || threads->empty()) {
    Report(findings, Problem::kThreadMissing, {.id = id, .name = item.name});
    return;
  }
  if (threads->size() > 1) {
    Report(findings, Problem::kThreadDuplicate, {.id = id, .name = item.name, .found = threads->size()});
    return;
  }
  const Thread& thread = threads->front();
  if (thread.parent != item.parent) {
    Report(findings, Problem::kThreadParentWrong,
           {.id = id, .name = item.name, .found = thread.parent, .expected = item.parent});
  }
  if (thread.name != item.name) {
    Report(findings, Problem::kThreadNameWrong, {.id = id, .name = item.name, .other = thread.name});
  }
}

void CheckOrphanThreads(const Catalog& catalog, std::vector<Finding>& findings) {
  for (const bool folders : {true, false}) {
    for (const auto& [id, threads] : folders ? catalog.folderThreads : catalog.fileThreads) {
      const auto item = catalog.items.find(id);
      if (item == catalog.items.end() || item->second.folder != folders) {
        Report(findings, folders ? Problem::kFolderThreadOrphan : Problem::kFileThreadOrphan, {.id = id});
      }
    }
  }
}

void CheckHeaderCounters(const Catalog& catalog, ConstBytes mdb, std::vector<Finding>& findings) {
  auto compare = [&findings](Problem code, std::uint64_t found, std::uint64_t expected) {
    if (found != expected) Report(findings, code, {.found = found, .expected = expected});
  };
  compare(Problem::kFileCountWrong, GetU32(mdb, mdb::drFilCnt), catalog.files);
  compare(Problem::kFolderCountWrong, GetU32(mdb, mdb::drDirCnt), catalog.folders);
  compare(Problem::kRootFileCountWrong, GetU16(mdb, mdb::drNmFls), catalog.rootFiles);
  compare(Problem::kRootFolderCountWrong, GetU16(mdb, mdb::drNmRtDirs), catalog.rootFolders);
  const std::uint32_t nextId = GetU32(mdb, mdb::drNxtCNID);
  if (nextId <= catalog.highestId) {
    Report(findings, Problem::kNextIdTooLow, {.found = nextId, .expected = catalog.highestId});
  } else if (!IsNewCatalogId(nextId)) {
    Report(findings, Problem::kNextIdNotNew, {.found = nextId});
  }
}

}  // namespace

}  // namespace tarvo
