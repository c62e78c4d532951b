#include "maintenance/format_volume.h"

#include <cstdio>
#include <ctime>
#include <optional>

#include "base/charset.h"
#include "base/engine.h"
#include "device/interrupted_update.h"
#include "device/sector_io.h"
#include "device/sector_undo.h"
#include "device/write_claim.h"
#include "hfs/allocation.h"
#include "hfs/flush.h"
#include "hfs/flush_report.h"
#include "hfs/mac_date.h"
#include "hfs/medium_probes.h"
#include "hfs/navigation.h"
#include "hfs/sector_run.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"
#include "maintenance/desktop_files.h"
#include "maintenance/driver_image.h"
#include "maintenance/format_layout.h"
#include "medium/msdos_probe.h"
#include "medium/partition_map.h"
#include "transfer/pc_copy_report.h"

namespace tarvo {

namespace {

// Room kept for what the format writes beyond the cleared sectors: the
// alternate header, the Desktop files and the trees' write-back.
constexpr std::uint64_t kUndoReserve = std::uint64_t{1} << 20;

void WriteStructures(Engine& ctx, const FormatLayout& layout, const std::string& macName);
bool MountNewVolume(Engine& ctx);
void WriteMapNodes(Engine& ctx, std::uint32_t treeSector, const TreeHeader& tree);
void WriteDesktopFile(Engine& ctx, DesktopFile& file);
void TakeBack(Engine& ctx, UndoScope& undo);
void Write(Engine& ctx, std::uint32_t sector, const SectorBytes& bytes) { WriteSectorRun(ctx, sector, bytes); }

}  // namespace

void FormatVolume(Engine& ctx, const std::string& name) {
  std::string macName = ConvertString(name, AnsiToMac);
  if (macName.empty()) macName = ctx.messages[kMsgUntitled];
  const FormatLayout layout = LayoutForMedium(ctx.volume.deviceSectors);
  if (layout.allocBlocks == 0) {
    MessageDialog(ctx, kMsgUnknownMedium);
    return;
  }
  const ClaimSpan span(ctx);
  if (const std::string refusal = ClaimSelectedMedium(ctx); !refusal.empty()) {
    MessageDialog(ctx, refusal);
    return;
  }
  TakeBackInterruptedUpdate(ctx);
  std::optional<UndoScope> undo;
  if (std::uint64_t{layout.ClearedSectors()} * 512 + kUndoReserve <= kMostUndoBytes) undo.emplace(ctx);
  const auto failed = [&undo] { return undo && undo->failed(); };

  SetStatus(ctx, ctx.messages[kMsgResettingSectors]);
  ClearLeadingSectors(ctx, static_cast<std::int32_t>(layout.ClearedSectors()));
  if (!failed()) {
    SetStatus(ctx, ctx.messages[kMsgCreatingStructures]);
    WriteStructures(ctx, layout, macName);
  }
  if (failed()) return TakeBack(ctx, *undo);
  if (!MountNewVolume(ctx)) {
    if (undo) return TakeBack(ctx, *undo);
    ctx.volume.targetId = kNoDevice;
    MessageDialog(ctx, kMsgNotMacVolume);
    return;
  }
  for (DesktopFile& file : DesktopFiles()) {
    if (failed()) break;
    AdvanceWaitCursor(ctx);
    WriteDesktopFile(ctx, file);
  }
  if (!undo) {
    FlushVolumeAndReport(ctx);
    return;
  }
  if (!failed()) FlushVolume(ctx);  // joins the format's update and writes it
  if (failed()) TakeBack(ctx, *undo);
}

namespace {

void WriteStructures(Engine& ctx, const FormatLayout& layout, const std::string& macName) {
  const std::uint32_t now = MacNow();
  Write(ctx, 0, DriverDescriptorSector(layout));
  for (std::uint32_t entry = 0; entry < kMapEntries; ++entry) {
    Write(ctx, kMapFirstSector + entry, PartitionMapSector(layout, static_cast<int>(entry)));
  }
  AdvanceWaitCursor(ctx);

  const SectorBytes header = VolumeHeaderSector(layout, macName, now);
  Write(ctx, kFormatMdbSector, header);
  Write(ctx, layout.AlternateMdbSector(), header);
  Write(ctx, kFormatBitmapSector, FirstBitmapSector(layout));
  AdvanceWaitCursor(ctx);

  const TreeHeader extents = ExtentsTreeHeader(layout);
  Write(ctx, layout.ExtentsSector(), TreeHeaderSector(extents));
  WriteMapNodes(ctx, layout.ExtentsSector(), extents);
  const TreeHeader catalog = CatalogTreeHeader(layout);
  Write(ctx, layout.CatalogSector(), TreeHeaderSector(catalog));
  Write(ctx, layout.CatalogSector() + catalog.root, RootLeafSector(macName, now));
  WriteMapNodes(ctx, layout.CatalogSector(), catalog);
  AdvanceWaitCursor(ctx);

  WriteSectorRun(ctx, kDriverStart, DriverImage(layout.deviceSectors));
}

// The tree's map nodes, each linked to the next (nodes are one sector each).
void WriteMapNodes(Engine& ctx, std::uint32_t treeSector, const TreeHeader& tree) {
  for (std::uint32_t i = 0; i < tree.mapNodes; ++i) {
    const std::uint32_t n = tree.mapNode + i;
    Write(ctx, treeSector + n, MapNodeSector(i + 1 < tree.mapNodes ? n + 1 : 0));
  }
}

// As a mount does: the partition, the header, the catalog, the root, the
// bitmap. False when the header just written cannot be read back.
bool MountNewVolume(Engine& ctx) {
  if (ProbeMedium(ctx) != MediumKind::kMacVolume) return false;
  OpenCatalogWorkFile(ctx);
  EnterDirectory(ctx, kRootParentId, "*");
  EnsureBitmapLoaded(ctx);  // an unreadable bitmap is told by the file writes
  return true;
}

// A write failed: the medium gets back what it held, and the engine forgets
// the new volume (the caller opens what the medium holds).
void TakeBack(Engine& ctx, UndoScope& undo) {
  const bool restored = undo.Restore();
  CloseWorkFiles(ctx);
  ReleaseBitmap(ctx.volume);
  MessageDialog(ctx, restored ? kTextNotFormatted : kTextFormatIncomplete);
}

// Straight from memory, dated now, as a file copied from the PC would be.
void WriteDesktopFile(Engine& ctx, DesktopFile& file) {
  std::FILE* content = fmemopen(file.content.data(), file.content.size(), "rb");
  if (content == nullptr) {
    MessageDialog(ctx, ctx.messages[kMsgNoTempSpace]);
    return;
  }
  const PcFileFacts facts{file.content.size(), std::time(nullptr)};
  const MacFileSource source = PlainFileSource(content, facts, file.name, file.typeCreator, file.fork);
  TellFileWrite(ctx, WriteFileToVolume(ctx, source, file.name, kRootDirId, kInvisibleFlagByte), file.name, file.name);
  std::fclose(content);
}

}  // namespace

}  // namespace tarvo
