#include "maintenance/format_volume.h"

#include <cstdio>
#include <filesystem>

#include "base/context.h"
#include "device/sector_io.h"
#include "hfs/allocation.h"
#include "hfs/flush_report.h"
#include "hfs/navigation.h"
#include "hfs/sector_run.h"
#include "hfs/volume_header.h"
#include "hfs/mac_date.h"
#include "hfs/work_file.h"
#include "maintenance/desktop_files.h"
#include "maintenance/driver_image.h"
#include "maintenance/format_layout.h"
#include "transfer/charset.h"
#include "volume/partition_map.h"

namespace tarvo {

namespace {

constexpr std::uint64_t kDesktopTempBytes = 64000;

void WriteStructures(Context& ctx, const FormatLayout& layout, const std::string& macName);
bool MountNewVolume(Context& ctx);
void WriteDesktopFile(Context& ctx, const DesktopFile& file);
void Write(Context& ctx, std::uint32_t sector, const SectorBytes& bytes) { WriteSectorRun(ctx, sector, bytes); }

}  // namespace

int FormatVolume(Context& ctx, const std::string& name) {
  std::string macName = ConvertString(name, AnsiToMac);
  if (macName.empty()) macName = ctx.messages[kMsgUntitled];
  const FormatLayout layout = LayoutForMedium(ctx.volume.deviceSectors);
  if (layout.allocBlocks == 0) {
    MessageDialog(ctx, kMsgUnknownMedium);
    return 0;
  }
  SetStatus(ctx, ctx.messages[kMsgResettingSectors]);
  ClearLeadingSectors(ctx, static_cast<std::int32_t>(layout.ClearedSectors()));
  SetStatus(ctx, ctx.messages[kMsgCreatingStructures]);
  WriteStructures(ctx, layout, macName);

  if (!MountNewVolume(ctx)) {
    ctx.volume.targetId = kNoDevice;
    MessageDialog(ctx, kMsgNotMacVolume);
    return 0;
  }
  for (const DesktopFile& file : DesktopFiles()) {
    AdvanceWaitCursor(ctx);
    WriteDesktopFile(ctx, file);
  }
  FlushVolumeAndReport(ctx);
  return 0;
}

namespace {

void WriteStructures(Context& ctx, const FormatLayout& layout, const std::string& macName) {
  const std::uint32_t now = MacNow();
  Write(ctx, 0, DriverDescriptorSector(layout));
  for (std::uint32_t entry = 0; entry < kMapEntries; ++entry) {
    Write(ctx, kMapFirstSector + entry, PartitionMapSector(layout, static_cast<int>(entry)));
  }
  AdvanceWaitCursor(ctx);

  const SectorBytes header = VolumeHeaderSector(layout, macName, now);
  Write(ctx, kFormatMdbSector, header);
  Write(ctx, layout.AlternateMdbSector(), header);
  Write(ctx, kFormatBitmapSector, FirstBitmapSector());
  AdvanceWaitCursor(ctx);

  const TreeHeader extents = ExtentsTreeHeader(layout);
  Write(ctx, layout.ExtentsSector(), TreeHeaderSector(extents));
  if (extents.mapNode != 0) Write(ctx, layout.ExtentsSector() + extents.mapNode, MapNodeSector());
  const TreeHeader catalog = CatalogTreeHeader(layout);
  Write(ctx, layout.CatalogSector(), TreeHeaderSector(catalog));
  Write(ctx, layout.CatalogSector() + catalog.root, RootLeafSector(macName, now));
  if (catalog.mapNode != 0) Write(ctx, layout.CatalogSector() + catalog.mapNode, MapNodeSector());
  AdvanceWaitCursor(ctx);

  WriteSectorRun(ctx, kDriverStart, DriverImage(layout.deviceSectors));
}

// As a mount does: the partition, the header, the catalog, the root, the
// bitmap. False when the header just written cannot be read back.
bool MountNewVolume(Context& ctx) {
  PartitionList partitions;
  ReadPartitionMap(ctx, partitions);
  if (ReadVolumeHeader(ctx) <= 0) return false;
  OpenCatalogWorkFile(ctx);
  EnterDirectory(ctx, kRootParentId, "*");
  EnsureBitmapLoaded(ctx);  // an unreadable bitmap is told by the file writes
  return true;
}

// Through a temporary PC file, as every file written onto the volume.
void WriteDesktopFile(Context& ctx, const DesktopFile& file) {
  std::string path;
  std::FILE* pc = MakeTempFile(ctx, path, "Desktop", kDesktopTempBytes);
  const bool written = std::fwrite(file.content.data(), 1, file.content.size(), pc) == file.content.size() &&
                       std::fflush(pc) == 0 && std::fseek(pc, 0, SEEK_SET) == 0;
  if (written) {
    WriteFileToVolume(ctx, pc, file.name, file.name, kRootDirId, file.typeCreator, kInvisibleFlagByte, file.fork);
  } else {
    MessageDialog(ctx, ctx.messages[kMsgNoTempSpace]);
  }
  std::fclose(pc);
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
}

}  // namespace

}  // namespace tarvo
