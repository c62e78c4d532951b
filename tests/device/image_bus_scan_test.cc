// The image bus as the device layer meets it: scanned, sized and read
// through the sector entry points, behind the joining bus.
#include <gtest/gtest.h>

#include "base/big_endian.h"
#include "base/context.h"
#include "device/drive_selection.h"
#include "device/image_bus.h"
#include "device/multi_bus.h"
#include "device/sector_io.h"
#include "support/scratch_files.h"
#include "ui/scripted_ui.h"

namespace tarvo {
namespace {

using namespace tarvo::testing;

TEST(ImageBusScan, OffersImagesAsCartridgeDrivesAndServesTheirSectors) {
  ScratchDir dir;
  ASSERT_EQ(CreateBlankImage(dir.Path("44.img"), 44), "");
  std::vector<std::uint8_t> large(200 * 1024);
  for (std::uint32_t sector = 0; sector < 400; ++sector) PutU32(large, sector * 512, sector);
  WriteWholeFile(dir.Path("large.img"), large);
  ImageBus images;
  ASSERT_EQ(images.Attach({dir.Path("44.img")}), "");
  ASSERT_EQ(images.Attach({dir.Path("large.img"), true, 1024}), "");
  MultiBus bus;
  bus.Add(images);
  ScriptedUi ui;
  Context ctx;
  ctx.scsi = &bus;
  ctx.ui = &ui;

  DeviceTable table;
  EXPECT_EQ(ScanBus(ctx, table), (1 << 8) | 2);
  EXPECT_EQ(table[0].product, "Tarvo image bus");
  EXPECT_EQ(table[1].vendor, "SyQuest ");
  EXPECT_EQ(table[1].product, "SQ555           ");
  EXPECT_EQ(table[2].target, 1);

  EXPECT_EQ(ReadCapacityChecked(ctx, 0, 0), 86699u);
  EXPECT_EQ(ReadCapacityChecked(ctx, 0, 1), 399u);
  EXPECT_EQ(ctx.volume.sectorSize, 1024);

  ctx.device.hostAdapterId = 0;
  ctx.volume.targetId = 1;
  ctx.device.sectorEntry = SectorEntryKind::k1024;
  std::vector<std::uint8_t> buffer(2 * 1024 + 512);
  SectorRequest request{.command = kReadSectors, .target = 1, .startSector = 37, .sectorCount = 2, .buffer = buffer};
  ASSERT_EQ(SectorEntry(ctx, request), 0);
  EXPECT_EQ(GetU32(buffer, 0), 37u);
  EXPECT_EQ(GetU32(buffer, 512), 38u);
}

}  // namespace
}  // namespace tarvo
