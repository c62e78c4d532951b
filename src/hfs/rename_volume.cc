#include "hfs/rename_volume.h"

#include <algorithm>
#include <string>

#include "base/engine.h"
#include "hfs/catalog_search.h"
#include "hfs/rename_entries.h"
#include "hfs/volume_header.h"

namespace tarvo {

namespace {

void StoreVolumeName(VolumeState& volume, const std::string& macName);

}  // namespace

VolumeRenameStatus RenameVolume(Engine& ctx, std::string_view macName) {
  VolumeState& volume = ctx.volume;
  // The root's own record is the only one under parent 1, whatever the
  // MDB calls the volume.
  const FoundRecord root = FindCatalogRecord(volume.catalog, "*", kWantDirectory, kRootParentId);
  const std::optional<CatalogRecord> rootRecord = root ? ReadCatalogRecord(root.record) : std::nullopt;
  if (!rootRecord) return VolumeRenameStatus::kRefused;
  const std::string oldName = rootRecord->key.name;
  const std::string newName(macName);
  if (ReplaceRecordName(ctx, kRootParentId, oldName, newName) != CatalogEditStatus::kDone) {
    return VolumeRenameStatus::kRefused;
  }
  if (!SetThreadName(ctx, kRootDirId, newName)) {
    ReplaceRecordName(ctx, kRootParentId, newName, oldName);
    return VolumeRenameStatus::kRefused;
  }
  StoreVolumeName(volume, newName);
  if (volume.current.currentDirId == kRootDirId) volume.current.currentDirName = ctx.messages[kMsgRootName];
  return VolumeRenameStatus::kRenamed;
}

namespace {

void StoreVolumeName(VolumeState& volume, const std::string& macName) {
  std::fill_n(volume.mdb.begin() + mdb::drVN, 1 + mdb::kVolumeNameMax, 0);
  PutU8(volume.mdb, mdb::drVN, static_cast<std::uint8_t>(macName.size()));
  std::copy(macName.begin(), macName.end(), volume.mdb.begin() + mdb::drVN + 1);
}

}  // namespace

}  // namespace tarvo
