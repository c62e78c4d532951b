#include "hfs/rename_volume.h"

#include <algorithm>
#include <string>

#include "base/context.h"
#include "hfs/catalog_search.h"
#include "hfs/flush_report.h"
#include "hfs/rename_entries.h"
#include "hfs/volume_header.h"
#include "transfer/charset.h"
#include "ui/short_mount.h"

namespace tarvo {

namespace {

void StoreVolumeName(VolumeState& volume, const std::string& macName);

}  // namespace

bool RenameVolume(Context& ctx, std::string_view newName) {
  const std::string typed(newName.substr(0, mdb::kVolumeNameMax));
  const std::string macName = ConvertString(typed, AnsiToMac);
  if (macName.empty()) return false;
  if (ctx.volume.catalog.handle == nullptr) ShortMount(ctx);

  VolumeState& volume = ctx.volume;
  // The root's own record is the only one under parent 1, whatever the
  // MDB calls the volume.
  const FoundRecord root = FindCatalogRecord(volume.catalog, "*", kWantDirectory, kRootParentId);
  const std::optional<CatalogRecord> rootRecord = root ? ReadCatalogRecord(root.record) : std::nullopt;
  if (!rootRecord) return false;
  const std::string oldName = rootRecord->key.name;
  if (ReplaceRecordName(ctx, kRootParentId, oldName, macName) != CatalogEditStatus::kDone) return false;
  if (!SetThreadName(ctx, kRootDirId, macName)) {
    ReplaceRecordName(ctx, kRootParentId, macName, oldName);
    return false;
  }
  if (IsLogOpen(ctx.log)) AppendLog(ctx.log, "*label " + typed + "\r\n");
  StoreVolumeName(volume, macName);
  if (volume.current.currentDirId == kRootDirId) volume.current.currentDirName = ctx.messages[kMsgRootName];
  ctx.settings.windowTitle = ctx.messages[kMsgProductName] + " : " + ConvertString(macName, MacToAnsi);
  return FlushVolumeAndReport(ctx);
}

namespace {

void StoreVolumeName(VolumeState& volume, const std::string& macName) {
  std::fill_n(volume.mdb.begin() + mdb::drVN, 1 + mdb::kVolumeNameMax, 0);
  PutU8(volume.mdb, mdb::drVN, static_cast<std::uint8_t>(macName.size()));
  std::copy(macName.begin(), macName.end(), volume.mdb.begin() + mdb::drVN + 1);
}

}  // namespace

}  // namespace tarvo
