// Formatting blank cartridge images: the name and layout a format gives,
// and the media it refuses untouched.
#include "maintenance/format_volume.h"

#include <gtest/gtest.h>

#include "hfs/volume_header.h"
#include "maintenance/check_volume.h"
#include "support/hfs_volume.h"
#include "support/medium_context.h"

namespace tarvo {
namespace {

using testing::MediumContext;

void FormatBlank(MediumContext& m, int megabytes, const std::string& name) {
  m.InsertBlank(megabytes);
  m.ctx.volume.deviceSectors = CartridgeSectors(megabytes);
  EXPECT_EQ(FormatVolume(m.ctx, name), 0);
}

std::vector<std::string> Problems(Context& ctx) {
  const CheckReport report = CheckVolume(ctx);
  return report.clean() ? std::vector<std::string>{} : CheckReportLines(report);
}

TEST(FormatVolumeTest, EmptyNameGivesUntitledAndTheLargeCartridgeItsMapNodes) {
  MediumContext m;
  FormatBlank(m, 270, "");
  EXPECT_EQ(VolumeName(m.ctx.volume), "Untitled");
  EXPECT_EQ(m.ctx.volume.allocBlockSize, 4608u);
  EXPECT_EQ(m.ctx.volume.bitmapSectors, 15u);
  EXPECT_EQ(Problems(m.ctx), std::vector<std::string>{});

  MediumContext colon;
  FormatBlank(colon, 44, ":Disk");
  EXPECT_EQ(VolumeName(colon.ctx.volume), "_Disk");
}

TEST(FormatVolumeTest, TooSmallAMediumIsRefusedUntouched) {
  MediumContext m;
  m.Insert(std::vector<std::uint8_t>(512 * 800, 0xAA));
  m.ctx.volume.deviceSectors = 800;
  FormatVolume(m.ctx, "Tiny");
  EXPECT_EQ(m.ui.messages, std::vector<std::string>{"Unable to identify the magnetic medium."});
  for (const Srb& srb : m.faults->sent) EXPECT_NE(srb.cdb[0], 0x0A);  // no WRITE(6)
}

TEST(FormatVolumeTest, AMediumAnotherProgramUsesIsRefusedUntouched) {
  MediumContext m;
  const std::string image = m.InsertBlank(44);
  m.ctx.volume.deviceSectors = CartridgeSectors(44);
  {
    ImageBus other;
    ASSERT_EQ(other.Attach({image, true}), "");
    FormatVolume(m.ctx, "Busy");
  }
  EXPECT_EQ(m.ui.messages, std::vector<std::string>{"The volume is in use by another program."});
  for (const Srb& srb : m.faults->sent) EXPECT_NE(srb.cdb[0], 0x0A);  // no WRITE(6)

  EXPECT_EQ(FormatVolume(m.ctx, "Mine"), 0);
  ImageBus reader;
  EXPECT_EQ(reader.Attach({image, true}), "");
}

}  // namespace
}  // namespace tarvo
