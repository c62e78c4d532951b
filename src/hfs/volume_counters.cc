#include "hfs/volume_counters.h"

#include "base/big_endian.h"
#include "base/volume_state.h"
#include "hfs/volume_header.h"

namespace tarvo {

namespace {

void Add16(VolumeState& volume, std::size_t field, int delta) {
  PutU16(volume.mdb, field, static_cast<std::uint16_t>(GetU16(volume.mdb, field) + delta));
}

void Add32(VolumeState& volume, std::size_t field, int delta) {
  PutU32(volume.mdb, field, static_cast<std::uint32_t>(GetU32(volume.mdb, field) + delta));
}

}  // namespace

void CountFiles(VolumeState& volume, std::uint32_t parentId, int delta) {
  Add32(volume, mdb::drFilCnt, delta);
  if (parentId == kRootDirId) Add16(volume, mdb::drNmFls, delta);
}

void CountFolders(VolumeState& volume, std::uint32_t parentId, int delta) {
  Add32(volume, mdb::drDirCnt, delta);
  if (parentId == kRootDirId) Add16(volume, mdb::drNmRtDirs, delta);
}

bool IsNewCatalogId(std::uint32_t id) { return id >= kFirstUserCatalogId && id <= kLastNewCatalogId; }

std::optional<std::uint32_t> NextCatalogId(const VolumeState& volume) {
  const std::uint32_t id = GetU32(volume.mdb, mdb::drNxtCNID);
  if (!IsNewCatalogId(id)) return std::nullopt;
  return id;
}

void TakeCatalogId(VolumeState& volume) { Add32(volume, mdb::drNxtCNID, 1); }

}  // namespace tarvo
