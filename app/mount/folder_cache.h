// The folders of the mounted volume as the file system shows them, each
// read from the catalog once and kept until a change in it: a listing of
// thousands of names followed by a stat of each searches the catalog once.
//
// Names are matched as the catalog orders them (name_order.h): letter case
// and most accents do not count, as on the Macintosh.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "hfs/catalog_record.h"

namespace tarvo {

struct Context;

// What a catalog file or folder record says, copied out of its node.
struct CatalogEntry {
  std::string macName;
  bool directory = false;
  std::uint32_t id = 0;  // the folder's or the file's catalog ID
  std::uint32_t parentId = 0;
  bool locked = false;        // file: filFlags bit 0
  std::uint32_t dataLength = 0, resourceLength = 0;
  std::uint32_t dataPhysical = 0, resourcePhysical = 0;
  std::uint32_t created = 0, modified = 0;
  std::array<std::uint8_t, 32> finderInfo{};  // FInfo and FXInfo, or DInfo and DXInfo
  std::array<std::uint8_t, kExtentRecordSize> dataExtents{}, resourceExtents{};
};

CatalogEntry EntryOfRecord(const CatalogRecord& record);

class FolderCache {
 public:
  explicit FolderCache(Context& ctx) : ctx_(ctx) {}

  // The folder's files and folders in name order; nullptr when its
  // records cannot be walked.
  const std::vector<CatalogEntry>* Listing(std::uint32_t dirId);
  // The entry of the folder with this name (Mac Roman); nullptr when none.
  const CatalogEntry* Find(std::uint32_t dirId, std::string_view macName);
  // The root folder's own entry.
  const CatalogEntry* Root();

  // The entry (dirId, macName) changed, came or went: it is read again
  // from the catalog, the rest of the folder is kept.
  void Update(std::uint32_t dirId, std::string_view macName);
  // The folder is read again on next use.
  void Forget(std::uint32_t dirId) { folders_.erase(dirId); }
  void ForgetAll() { folders_.clear(); }

 private:
  struct Folder {
    bool readable = false;
    std::vector<CatalogEntry> entries;  // in name order
  };
  Folder& Load(std::uint32_t dirId);

  Context& ctx_;
  std::map<std::uint32_t, Folder> folders_;
};

}  // namespace tarvo
