#include "transfer/mac_folder.h"

#include <vector>

#include "base/charset.h"
#include "base/engine.h"
#include "hfs/catalog_delete.h"
#include "hfs/catalog_lookup.h"
#include "hfs/mac_date.h"
#include "hfs/name_order.h"
#include "hfs/navigation.h"
#include "hfs/volume_counters.h"

namespace tarvo {

namespace {

std::vector<std::uint8_t> FolderRecord(std::uint32_t id);

}  // namespace

MacItem MacItemType(Engine& ctx, std::string_view macName) {
  const std::optional<CatalogRecord> record =
      FindNamedRecord(ctx.volume.catalog, ctx.volume.current.currentDirId, TrimTrailingBlanks(macName));
  if (!record) return MacItem::kAbsent;
  return record->type == kDirectoryRecord ? MacItem::kFolder : MacItem::kFile;
}

MadeFolder MakeMacFolder(Engine& ctx, std::string_view macName) {
  MadeFolder made{FolderStatus::kFailed, std::string(macName.substr(0, kMaxNameLength))};
  if (made.macName.empty()) made.macName = ctx.messages[kMsgNewFolder];
  if (MacItemType(ctx, made.macName) != MacItem::kAbsent) {
    MessageDialog(ctx, ctx.messages[kMsgDirectoryExists]);
    made.status = FolderStatus::kExists;
    return made;
  }
  if (IsLogOpen(ctx.log)) AppendLog(ctx.log, "*md " + ConvertString(made.macName, MacToAnsi) + "\r\n");
  if (CreateFolderRecords(ctx, made.macName) == CatalogEditStatus::kDone) made.status = FolderStatus::kCreated;
  return made;
}

CatalogEditStatus CreateFolderRecords(Engine& ctx, std::string_view macName) {
  VolumeState& volume = ctx.volume;
  const std::uint32_t parentId = volume.current.currentDirId;
  const std::optional<std::uint32_t> id = NextCatalogId(volume);
  if (!id) {
    MessageDialog(ctx, kTextNoCatalogId);
    return CatalogEditStatus::kNoId;
  }
  const CatalogKey key{0, parentId, std::string(macName)};
  CatalogEditStatus status = InsertCatalogRecord(ctx, key, FolderRecord(*id));
  if (status != CatalogEditStatus::kDone) return status;
  status = InsertThreadRecord(ctx, *id, parentId, macName);
  if (status != CatalogEditStatus::kDone) {
    DeleteCatalogRecord(ctx, parentId, macName);
    return status;
  }
  TakeCatalogId(volume);
  CountFolders(volume, parentId, 1);
  AdjustFolderValence(ctx, parentId, 1);
  return status;
}

namespace {

std::vector<std::uint8_t> FolderRecord(std::uint32_t id) {
  std::vector<std::uint8_t> data(dirrec::kSize, 0);
  PutU8(data, 0, kDirectoryRecord);
  PutU32(data, dirrec::dirDirID, id);
  const std::uint32_t now = MacNow();
  PutU32(data, dirrec::dirCrDat, now);
  PutU32(data, dirrec::dirMdDat, now);
  // The Finder's window for the folder: top, left, bottom, right; then the view.
  const std::uint16_t window[] = {80, 48, 272, 480};
  for (std::size_t i = 0; i < 4; ++i) PutU16(data, dirrec::dirUsrInfo + 2 * i, window[i]);
  PutU16(data, dirrec::dirUsrInfo + 14, 0x0100);
  return data;
}

}  // namespace

}  // namespace tarvo
