// The input is a whole medium image. It is opened as at start-up, then
// browsed as a user would: every folder is listed and entered (to a bounded
// depth and count), names are searched with patterns of every kind, both
// forks of every file are copied to a sink, and the volume is checked.
#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "base/services.h"
#include "fuzz_medium.h"
#include "fuzz_targets.h"
#include "hfs/catalog_record.h"
#include "hfs/catalog_search.h"
#include "hfs/work_file.h"
#include "maintenance/check_volume.h"
#include "ui/folder_navigation.h"
#include "ui/listing.h"
#include "ui/open_volume.h"

namespace tarvo::fuzz {

namespace {

constexpr int kMaxDepth = 6;
constexpr int kMaxFolders = 64;

struct Walk {
  Context& ctx;
  std::FILE* sink;
  int folders = 0;
};

void WalkFolder(Walk& walk, int depth);
void SearchNames(Context& ctx, const std::vector<ListingEntry>& rows);
void CopyForks(Walk& walk, const std::string& name);

}  // namespace

int FuzzVolume(const std::uint8_t* data, std::size_t size) {
  FuzzMedium medium(data, size);
  if (!medium.attached()) return 0;
  Context& ctx = medium.ctx;
  std::FILE* sink = std::fopen("/dev/null", "wb");
  try {
    if (OpenVolume(ctx) == VolumeOpening::kOpened) {
      Walk walk{ctx, sink};
      WalkFolder(walk, 0);
      CheckReportLines(CheckVolume(ctx));
    }
  } catch (const FatalExit&) {
  }
  std::fclose(sink);
  return 0;
}

namespace {

// Lists the current folder, then copies its files and enters its folders.
void WalkFolder(Walk& walk, int depth) {
  Context& ctx = walk.ctx;
  LoadListing(ctx);
  const std::vector<ListingEntry> rows(ctx.listing.rows.begin(), ctx.listing.rows.begin() + ctx.listing.count);
  SearchNames(ctx, rows);
  for (const ListingEntry& row : rows) {
    if (row.kind == kKindFile) CopyForks(walk, row.name);
  }
  for (const ListingEntry& row : rows) {
    if (row.kind != kKindFolder || depth >= kMaxDepth || ++walk.folders > kMaxFolders) continue;
    if (!EnterFolder(ctx, row.name)) continue;
    WalkFolder(walk, depth + 1);
    GoToParentFolder(ctx);
  }
}

// Whole names, prefixes, wildcards alone and names that are not there, for
// every wanted type.
void SearchNames(Context& ctx, const std::vector<ListingEntry>& rows) {
  std::vector<std::string> patterns = {"*", "**", "A*", "zz*", "nothing", ""};
  if (!rows.empty()) {
    patterns.push_back(rows.front().name);
    patterns.push_back(rows.back().name.substr(0, 2) + "*");
  }
  const std::uint32_t folder = ctx.volume.current.currentDirId;
  for (const std::string& pattern : patterns) {
    for (int wanted : {kWantEntry, kWantDirectory, kWantFile, kWantThread}) {
      FindCatalogRecord(ctx.volume.catalog, pattern, wanted, folder);
    }
  }
  LocateCatalogKey(ctx.volume.catalog, patterns.back(), folder);
}

void CopyForks(Walk& walk, const std::string& name) {
  Context& ctx = walk.ctx;
  const FoundRecord found =
      FindCatalogRecord(ctx.volume.catalog, name, kWantFile, ctx.volume.current.currentDirId);
  if (!found) return;
  const std::optional<CatalogRecord> record = ReadCatalogRecord(found.record);
  if (!record || record->type != kFileRecord) return;
  // The record lies in the node buffer, which the copies read over.
  std::array<std::uint8_t, filrec::kSize> copy;
  std::copy_n(record->data.begin(), copy.size(), copy.begin());
  const CatalogRecord file{record->key, record->type, Bytes(copy)};
  CopyForkToFile(ctx, DataExtents(file), walk.sink, FileId(file), DataLogicalLength(file), kDataFork);
  CopyForkToFile(ctx, ResourceExtents(file), walk.sink, FileId(file), ResourceLogicalLength(file), kResourceFork);
}

}  // namespace

}  // namespace tarvo::fuzz

TARVO_FUZZ_TARGET(FuzzVolume)
