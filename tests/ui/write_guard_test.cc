#include "ui/write_guard.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>

#include <gtest/gtest.h>

#include "base/big_endian.h"
#include "base/context.h"
#include "device/medium_lock.h"
#include "device/write_claim.h"
#include "hfs/volume_header.h"
#include "support/edit_volume.h"
#include "support/fake_scsi_bus.h"
#include "ui/menu_model.h"
#include "ui/scripted_ui.h"

namespace tarvo {
namespace {

class WriteGuardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx.scsi = &bus;
    ctx.ui = &ui;
    ctx.volume.targetId = 4;
  }
  bool Guard(RefusalNotice notice = RefusalNotice::kMessageBox) {
    return WriteGuard(ctx, [this] { ++probes; return writeProtected; }, kChangesFiles, notice);
  }

  testing::FakeScsiBus bus;
  ScriptedUi ui;
  Context ctx;
  bool writeProtected = false;
  int probes = 0;
};

TEST_F(WriteGuardTest, WritableMediumPassesSilently) {
  EXPECT_TRUE(Guard());
  EXPECT_EQ(probes, 1);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(WriteGuardTest, RefusesMediaWith1024ByteSectors) {
  ctx.volume.sectorSize = 1024;
  EXPECT_FALSE(Guard());
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0], "Write functions are not yet validated for media with 1024 bytes/sector.");
  EXPECT_FALSE(Guard(RefusalNotice::kMessageDialog));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0], ui.boxes[0]);
  EXPECT_EQ(probes, 0);
}

TEST_F(WriteGuardTest, WriteProtectedMediumAsks) {
  writeProtected = true;
  ui.answers = {"ok", "cancel"};
  EXPECT_TRUE(Guard());
  EXPECT_FALSE(Guard());
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0], "Write-protected media.");

  // Without a drive there is nothing to probe.
  ctx.volume.targetId = kNoDevice;
  EXPECT_TRUE(Guard());
  EXPECT_EQ(probes, 2);
}

// The damage check, on a small hfsutils volume mounted for writing.
class WriteGuardDamageTest : public ::testing::Test {
 protected:
  bool Guard(unsigned changes) { return WriteGuard(ctx(), nullptr, changes, RefusalNotice::kMessageDialog); }
  Context& ctx() { return volume.ctx(); }
  std::array<std::uint8_t, 512>& mdb() { return ctx().volume.mdb; }
  void Recheck() { ctx().volume.writeVerdict.reset(); }

  testing::EditVolume volume;
};

TEST_F(WriteGuardDamageTest, ASoundVolumeIsCheckedOnceAndThenTrusted) {
  EXPECT_TRUE(Guard(kChangesFiles));
  ASSERT_TRUE(ctx().volume.writeVerdict);
  EXPECT_TRUE(ctx().volume.writeVerdict->damage.empty());
  // The program's own changes since do not call for another check...
  PutU32(mdb(), mdb::drNxtCNID, kRootDirId);
  EXPECT_TRUE(Guard(kChangesNewFolder));
  // ...a new mount does.
  ReadVolumeHeader(ctx());
  EXPECT_FALSE(ctx().volume.writeVerdict);
  EXPECT_TRUE(volume.ui().messages.empty());
}

TEST_F(WriteGuardDamageTest, HarmlessFindingsDoNotRefuse) {
  PutU32(mdb(), mdb::drFilCnt, 7);
  PutU16(mdb(), mdb::drNmRtDirs, 3);
  PutU16(mdb(), mdb::drFreeBks, static_cast<std::uint16_t>(GetU16(mdb(), mdb::drFreeBks) - 5));
  EXPECT_EQ(volume.Problems().size(), 3u);
  EXPECT_TRUE(Guard(kChangesFiles));
  EXPECT_TRUE(volume.ui().messages.empty());
}

TEST_F(WriteGuardDamageTest, RefusesWhatWouldTakeAnIdInUse) {
  PutU32(mdb(), mdb::drNxtCNID, kRootDirId);
  EXPECT_TRUE(Guard(kChangesCatalogRecords));  // a rename takes no new ID
  EXPECT_FALSE(Guard(kChangesNewFolder));
  EXPECT_FALSE(Guard(kChangesVolumeName));
  EXPECT_TRUE(Guard(kChangesNothingChecked));
  ASSERT_EQ(volume.ui().messages.size(), 2u);
  EXPECT_EQ(volume.ui().messages[0],
            "The volume is damaged where this command would write: Volume header: drNxtCNID is 2, but ID 2 is in "
            "use. Nothing was written; please copy your files to the PC.");
}

TEST_F(WriteGuardDamageTest, CatalogChangesCountTheCatalogsGrowth) {
  ctx().volume.writeVerdict = WriteVerdict{{{kExtentsTree, "Extents tree: x"}}};
  EXPECT_TRUE(Guard(kChangesCatalogRecords));
  EXPECT_FALSE(Guard(kChangesFiles));
  // With its three extents used, a growing catalog needs an overflow record.
  PutU16(mdb(), mdb::drCTExtRec + 10, 1);
  EXPECT_FALSE(Guard(kChangesCatalogRecords));

  // Growth takes free blocks; only deletions free any.
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

// Another program on the image: another bus, or a descriptor of its own.
TEST_F(WriteGuardDamageTest, AMediumAnotherProgramUsesIsRefusedBeforeAnythingIsWritten) {
  int probes = 0;
  const auto probe = [&probes] {
    ++probes;
    return false;
  };
  {
    ImageBus reader;
    ASSERT_EQ(reader.Attach({volume.image(), true}), "");
    EXPECT_FALSE(WriteGuard(ctx(), probe, kChangesFiles, RefusalNotice::kMessageDialog));
    EXPECT_FALSE(WriteGuard(ctx(), probe, kChangesNothingChecked, RefusalNotice::kMessageBox));
  }
  EXPECT_EQ(probes, 0);  // not even the probe's rewrite of sector 0
  EXPECT_FALSE(ctx().device.mediumClaimed);
  const std::vector<std::string> told = {"The volume is in use by another program."};
  EXPECT_EQ(volume.ui().messages, told);
  EXPECT_EQ(volume.ui().boxes, told);
  EXPECT_TRUE(WriteGuard(ctx(), probe, kChangesFiles, RefusalNotice::kMessageDialog));
  EXPECT_EQ(probes, 1);
}

TEST_F(WriteGuardDamageTest, AClaimLastsUntilTheOutermostCommandEnds) {
  using namespace std::chrono_literals;
  const int other = ::open(volume.image().c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(other, 0);
  {
    const ClaimSpan typedCommand(ctx());
    ASSERT_TRUE(Guard(kChangesFiles));
    { const ClaimSpan menuCommand(ctx()); }  // run by the typed command
    EXPECT_EQ(LockShared(other, 0ms), MediumLockResult::kInUse);
  }
  EXPECT_EQ(LockShared(other, 0ms), MediumLockResult::kHeld);
  ::close(other);
}

TEST_F(WriteGuardDamageTest, MenuCommandsRefuseInAMessageBox) {
  EXPECT_EQ(GuardedCommandChanges(kMenuFormat), kChangesNothingChecked);
  EXPECT_EQ(GuardedCommandChanges(kMenuRename), kChangesCatalogRecords);
  EXPECT_EQ(GuardedCommandChanges(kMenuDelete), kChangesFiles);
  ctx().volume.writeVerdict = WriteVerdict{{{kCatalogTree, "Catalog: \x80"}}};
  EXPECT_FALSE(MediumAcceptsWrites(ctx(), GuardedCommandChanges(kMenuMakeDirectory), RefusalNotice::kMessageBox));
  ASSERT_EQ(volume.ui().boxes.size(), 1u);
  EXPECT_NE(volume.ui().boxes[0].find("Catalog: \xc4. Nothing"), std::string::npos);  // names in ANSI
}

}  // namespace
}  // namespace tarvo
