// Formatting blank cartridge images: the new volume as Tarvo mounts and
// checks it, the names and claims a format takes, and hfsutils (run as a
// black box) reading and writing every cartridge size.
#include "maintenance/format_volume.h"

#include <gtest/gtest.h>

#include "hfs/catalog_lookup.h"
#include "hfs/flush.h"
#include "hfs/catalog_record.h"
#include "hfs/navigation.h"
#include "hfs/volume_header.h"
#include "maintenance/check_volume.h"
#include "support/hfs_volume.h"
#include "support/medium_context.h"
#include "transfer/write_file.h"
#include "volume/partition_map.h"

namespace tarvo {
namespace {

using testing::MediumContext;

// A blank cartridge of that size formatted with the name, its capacity as
// the "Data medium to format" dialog gives it.
std::string FormatBlank(MediumContext& m, int megabytes, const std::string& name) {
  const std::string image = m.InsertBlank(megabytes);
  m.ctx.volume.deviceSectors = CartridgeSectors(megabytes);
  EXPECT_EQ(FormatVolume(m.ctx, name), 0);
  return image;
}

std::vector<std::string> Problems(Context& ctx) {
  const CheckReport report = CheckVolume(ctx);
  return report.clean() ? std::vector<std::string>{} : CheckReportLines(report);
}

// The image mounted afresh, as the program mounts a partitioned medium.
struct Remounted {
  explicit Remounted(const std::string& image) : volume(image, false) {
    PartitionList partitions;
    EXPECT_EQ(ReadPartitionMap(volume.ctx, partitions), 1);
    EXPECT_GT(volume.Mount(), 0);
  }
  testing::MountedVolume volume;
};

TEST(FormatVolumeTest, EmptyNameGivesUntitledAndTheLargeCartridgeItsMapNodes) {
  MediumContext m;
  FormatBlank(m, 270, "");
  EXPECT_EQ(VolumeName(m.ctx.volume), "Untitled");
  EXPECT_EQ(m.ctx.volume.allocBlockSize, 4608u);
  EXPECT_EQ(m.ctx.volume.bitmapSectors, 15u);
  EXPECT_EQ(Problems(m.ctx), std::vector<std::string>{});

  // A ':' cannot be in a Mac name: it becomes '_', and the name is kept.
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

// The format claims the drive it formats, whichever drive the command's
// guard claimed: another program holding the image stops it untouched.
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

  // Its own claim ends with the format: another program may read then.
  EXPECT_EQ(FormatVolume(m.ctx, "Mine"), 0);
  ImageBus reader;
  EXPECT_EQ(reader.Attach({image, true}), "");
}

// Every cartridge size: hfsutils mounts the HFS partition, sees the name,
// the free space the header states and the four Desktop files, and takes a
// file; Tarvo then reads that file and finds the volume sound.
TEST(FormatVolumeTest, HfsutilsReadsAndWritesEveryCartridgeSize) {
  testing::ScratchDir home;
  const std::string pcFile = home.Path("note.txt");
  testing::WriteWholeFile(pcFile, std::vector<std::uint8_t>(5000, 'x'));
  for (int megabytes : {44, 88, 105, 200, 270}) {
    SCOPED_TRACE(megabytes);
    MediumContext m;
    const std::string image = FormatBlank(m, megabytes, "Size " + std::to_string(megabytes));
    const std::uint64_t freeBytes =
        std::uint64_t{GetU16(m.ctx.volume.mdb, mdb::drFreeBks)} * m.ctx.volume.allocBlockSize;

    const std::string volume = testing::HfsutilsOutput(home.Path(""), image, "hvol");
    EXPECT_NE(volume.find("Volume name is \"Size " + std::to_string(megabytes) + "\""), std::string::npos) << volume;
    EXPECT_NE(volume.find("Volume has " + std::to_string(freeBytes) + " bytes free"), std::string::npos) << volume;
    const std::string listing = testing::HfsutilsOutput(home.Path(""), image, "hls -la");
    for (const char* line : {"FNDR/ERIK", "BTFL/DMGR", "DTFL/DMGR", "Desktop DB", "Desktop DF", "Icon"}) {
      EXPECT_NE(listing.find(line), std::string::npos) << listing;
    }
    m.Eject();
    ASSERT_TRUE(testing::RunHfsutils(home.Path(""), image,
                                     {"hmkdir :Folder", "hcopy -r " + testing::ShellQuote(pcFile) + " :Folder:Note"}));

    Remounted again(image);
    Context& ctx = again.volume.ctx;
    EXPECT_EQ(RootDirectory(ctx), 5);
    EXPECT_EQ(ChangeDirectory(ctx, "Folder"), 1);
    const std::optional<CatalogRecord> note =
        FindNamedRecord(ctx.volume.catalog, ctx.volume.current.currentDirId, "Note");
    ASSERT_TRUE(note);
    EXPECT_EQ(DataLogicalLength(*note), 5000u);

    // And Tarvo writes a file that hfsutils reads back.
    std::FILE* pc = std::fopen(pcFile.c_str(), "rb");
    ASSERT_EQ(WriteFileToVolume(ctx, pc, "note.txt", "Reply", kRootDirId, "TEXTttxt", 0, ForkChoice::kData), 0);
    std::fclose(pc);
    EXPECT_TRUE(FlushVolume(ctx).ok());
    EXPECT_EQ(Problems(ctx), std::vector<std::string>{});
    const std::string after = testing::HfsutilsOutput(home.Path(""), image, "hls -l");
    EXPECT_TRUE(after.find("TEXT/ttxt") != std::string::npos && after.find("Reply") != std::string::npos) << after;
  }
}

}  // namespace
}  // namespace tarvo
