#include "maintenance/check_volume.h"

#include <array>
#include <cstdint>
#include <utility>

#include "base/engine.h"
#include "hfs/sector_run.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"
#include "maintenance/check_allocation.h"
#include "maintenance/check_catalog.h"
#include "maintenance/check_tree.h"

namespace tarvo {

namespace {

std::optional<ConstBytes> CurrentBitmap(Engine& ctx, std::vector<std::uint8_t>& buffer);
void CheckVolumeEnd(Engine& ctx, std::vector<Finding>& findings);

}  // namespace

CheckReport CheckVolume(Engine& ctx) {
  VolumeState& volume = ctx.volume;
  CheckReport report;
  std::vector<Finding>& findings = report.findings;
  std::vector<LeafRecord> catalogRecords = CheckTree(volume.catalog, TreeKind::kCatalog, findings);
  if (volume.extents.handle == nullptr) OpenExtentsWorkFile(ctx);
  const std::vector<LeafRecord> overflow = CheckTree(volume.extents, TreeKind::kExtents, findings);
  const std::vector<Fork> forks = CheckCatalog(std::move(catalogRecords), volume.mdb, findings);
  std::vector<std::uint8_t> bitmap;
  const std::optional<ConstBytes> bits = CurrentBitmap(ctx, bitmap);
  if (!bits) Report(findings, Problem::kBitmapUnreadable, {});
  CheckAllocation(volume, forks, overflow, bits, findings);
  CheckVolumeEnd(ctx, findings);
  return report;
}

std::vector<std::string> CheckReportLines(const CheckReport& report) {
  if (report.clean()) return {"Volume check: no problems found."};
  std::vector<std::string> lines;
  for (const Finding& finding : report.findings) lines.push_back(finding.text);
  return lines;
}

namespace {

// The loaded bitmap, or the one on the medium read into buffer.
std::optional<ConstBytes> CurrentBitmap(Engine& ctx, std::vector<std::uint8_t>& buffer) {
  const VolumeState& volume = ctx.volume;
  const std::size_t size = std::size_t{volume.bitmapSectors} * 512;
  if (!volume.bitmap.empty()) return ConstBytes(volume.bitmap).first(std::min(size, volume.bitmap.size()));
  buffer.assign(size, 0);
  if (ReadSectorRun(ctx, volume.mdbSector + 1, buffer) == SectorRunResult::kFailed) return std::nullopt;
  return ConstBytes(buffer);
}

// The allocation blocks must lie in the volume's partition, and the last
// sector of the last one must be readable: a medium (or image) shorter
// than its volume would let writes go past its end.
void CheckVolumeEnd(Engine& ctx, std::vector<Finding>& findings) {
  const VolumeState& volume = ctx.volume;
  const std::uint16_t blocks = GetU16(volume.mdb, mdb::drNmAlBlks);
  if (blocks == 0 || volume.sectorsPerBlock == 0) return;
  if (FitOnMedium(volume) == VolumeFit::kPastPartition) {
    Report(findings, Problem::kVolumePastPartition,
           {.found = static_cast<std::uint64_t>(BlocksEnd(volume)),
            .expected = static_cast<std::uint64_t>(PartitionEnd(volume))});
    return;
  }
  const std::int64_t last = BlocksEnd(volume) - 1;
  std::array<std::uint8_t, 512> sector{};
  if (last >= 0 && last <= UINT32_MAX &&
      ReadSectorRun(ctx, static_cast<std::uint32_t>(last), sector) == SectorRunResult::kMoved) {
    return;
  }
  Report(findings, Problem::kVolumePastMedium, {.found = blocks - 1u});
}

}  // namespace

}  // namespace tarvo
