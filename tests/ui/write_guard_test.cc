#include "ui/write_guard.h"

#include <gtest/gtest.h>

#include "base/big_endian.h"
#include "device/fault_bus.h"
#include "device/medium_lock.h"
#include "device/write_claim.h"
#include "hfs/volume_header.h"
#include "support/edit_volume.h"
#include "ui/menu_model.h"

namespace tarvo {
namespace {

class WriteGuardTest : public ::testing::Test {
 protected:
  bool Guard(unsigned changes) { return WriteGuard(ctx(), nullptr, changes, RefusalNotice::kMessageDialog); }
  Context& ctx() { return volume.ctx(); }
  std::array<std::uint8_t, 512>& mdb() { return ctx().volume.mdb; }

  testing::EditVolume volume;
};

TEST_F(WriteGuardTest, CatalogChangesCountTheCatalogsGrowth) {
  ctx().volume.writeVerdict = WriteVerdict{{{kExtentsTree, "Extents tree: x"}}};
  EXPECT_TRUE(Guard(kChangesCatalogRecords));
  EXPECT_FALSE(Guard(kChangesFiles));
  PutU16(mdb(), mdb::drCTExtRec + 10, 1);
  EXPECT_FALSE(Guard(kChangesCatalogRecords));

  ctx().volume.writeVerdict = WriteVerdict{{{kRelease, "File a and file b both use block 9"}}};
  EXPECT_TRUE(Guard(kChangesNewFolder));
  EXPECT_FALSE(Guard(kChangesFiles));
  ctx().volume.writeVerdict = WriteVerdict{{{kAllocation, "Bitmap: a"}, {kAllocation, "Bitmap: b"}}};
  EXPECT_FALSE(Guard(kChangesCatalogRecords));
  EXPECT_EQ(volume.ui().messages.back(),
            "The volume is damaged where this command would write: Bitmap: a (and 1 more). Nothing was written; "
            "please copy your files to the PC.");
  EXPECT_EQ(volume.ui().messages.size(), 4u);
}

// A drive whose device the system has mounted refuses every write.
class MountedDeviceBus : public FaultBus {
 public:
  using FaultBus::FaultBus;
  std::string WriteRefusal(std::uint8_t, std::uint8_t) override { return "The device is mounted."; }
};

TEST_F(WriteGuardTest, ADriveThatRefusesWritesIsNeitherClaimedNorWritten) {
  ScsiManager* const images = ctx().scsi;
  MountedDeviceBus bus(*images);
  ctx().scsi = &bus;
  EXPECT_FALSE(WriteGuard(ctx(), DriveWriteProtection(ctx()), kChangesFiles, RefusalNotice::kMessageDialog));
  ctx().scsi = images;
  EXPECT_EQ(volume.ui().messages, std::vector<std::string>{"The device is mounted."});
  EXPECT_FALSE(ctx().device.mediumClaimed);
  EXPECT_TRUE(bus.sent.empty());  // not even the write-protection probe
}

TEST_F(WriteGuardTest, MenuCommandsRefuseInAMessageBox) {
  EXPECT_EQ(GuardedCommandChanges(kMenuFormat), kChangesNothingChecked);
  EXPECT_EQ(GuardedCommandChanges(kMenuRename), kChangesCatalogRecords);
  EXPECT_EQ(GuardedCommandChanges(kMenuDelete), kChangesFiles);
  ctx().volume.writeVerdict = WriteVerdict{{{kCatalogTree, "Catalog: \x80"}}};
  EXPECT_FALSE(MediumAcceptsWrites(ctx(), GuardedCommandChanges(kMenuMakeDirectory), RefusalNotice::kMessageBox));
  ASSERT_EQ(volume.ui().boxes.size(), 1u);
  EXPECT_NE(volume.ui().boxes[0].find("Catalog: \xc4. Nothing"), std::string::npos);
}

}  // namespace
}  // namespace tarvo
