#include "ui/drive_commands.h"

#include <gtest/gtest.h>

#include "command/run_command.h"
#include "maintenance/format_volume.h"
#include "hfs/sector_run.h"
#include "support/medium_context.h"
#include "ui/dispatcher.h"
#include "ui/menu_model.h"

namespace tarvo {
namespace {

using testing::MediumContext;

std::vector<int> PreventCommands(const MediumContext& m) {
  std::vector<int> sent;
  for (const Srb& srb : m.faults->sent)
    if (srb.cdb[0] == 0x1E) sent.push_back(srb.cdb[4]);
  return sent;
}

bool Written(const MediumContext& m) {
  for (const Srb& srb : m.faults->sent)
    if (srb.cdb[0] == 0x0A && (srb.cdb[1] != 0 || srb.cdb[2] != 0 || srb.cdb[3] != 0)) return true;
  return false;
}

TEST(FormatCommandTest, CancelAnywhereLeavesTheMediumAlone) {
  MediumContext m;
  m.InsertBlank(44);
  m.ui.answers = {"cancel"};
  DispatchCommand(m.ctx, kMenuFormat);
  m.ui.answers = {"Disk", "cancel"};
  DispatchCommand(m.ctx, kMenuFormat);
  EXPECT_FALSE(Written(m));

  m.faults->notReadyCommands = 1000;
  m.ui.answers = {"Disk", "same", "cancel"};
  DispatchCommand(m.ctx, kMenuFormat);
  EXPECT_EQ(m.ui.dialogs.back(), "DLG_CAPA");
  EXPECT_EQ(m.ui.messages.back(), "Unable to identify the magnetic medium.");
  m.faults->notReadyCommands = 0;
  EXPECT_FALSE(Written(m));

  m.ctx.volume.sectorSize = 1024;
  const std::size_t dialogs = m.ui.dialogs.size();
  DispatchCommand(m.ctx, kMenuFormat);
  EXPECT_EQ(m.ui.dialogs.size(), dialogs);
  EXPECT_EQ(m.ui.boxes.back(), "Write functions are not yet validated for media with 1024 bytes/sector.");
}

TEST(DriveCommandsTest, LockTwiceFromTheMenuAndFromTheCommandLine) {
  MediumContext m;
  m.Insert(std::vector<std::uint8_t>(512 * 64, 0));
  DispatchCommand(m.ctx, kMenuLock);
  EXPECT_EQ(m.ctx.menu.item(kMenuLock).text, "Unlock volume");
  DispatchCommand(m.ctx, kMenuLock);
  EXPECT_EQ(m.ctx.menu.item(kMenuLock).text, "Lock volume");
  EXPECT_EQ(PreventCommands(m), (std::vector<int>{1, 0}));

  ExecuteCommandLine(m.ctx, "LOCK");
  ExecuteCommandLine(m.ctx, "lock");
  EXPECT_EQ(PreventCommands(m), (std::vector<int>{1, 0, 1, 1}));
  EXPECT_FALSE(m.ctx.settings.mediumLocked);
  EXPECT_EQ(m.ctx.menu.item(kMenuLock).text, "Lock volume");
  ExecuteCommandLine(m.ctx, "UNLOCK");
  EXPECT_EQ(PreventCommands(m).back(), 0);
}

TEST(DriveCommandsTest, ResetModeResetsBeforeEveryAttempt) {
  MediumContext m;
  m.Insert(std::vector<std::uint8_t>(512 * 64, 0));
  DispatchCommand(m.ctx, kMenuReset);
  EXPECT_TRUE(m.ctx.device.resetBeforeTransfer);
  EXPECT_TRUE(m.ctx.menu.item(kMenuReset).checked);
  std::vector<std::uint8_t> sector(512);
  ReadSectorRun(m.ctx, 3, sector);
  EXPECT_EQ(m.faults->resetCount, 1);
  m.faults->unreadableSectors = {4};
  ReadSectorRun(m.ctx, 4, sector);
  EXPECT_EQ(m.faults->resetCount, 1 + 20);
  DispatchCommand(m.ctx, kMenuReset);
  EXPECT_FALSE(m.ctx.menu.item(kMenuReset).checked);
  ReadSectorRun(m.ctx, 3, sector);
  EXPECT_EQ(m.faults->resetCount, 21);
}

TEST(DriveCommandsTest, VerifyFromTheMenuPutsTheDriveBack) {
  MediumContext m;
  m.Insert(std::vector<std::uint8_t>(512 * 5000, 0));
  m.ctx.volume.deviceSectors = 123;
  DispatchCommand(m.ctx, kMenuVerify);
  EXPECT_EQ(m.ui.dialogs, std::vector<std::string>{"DLG_DEV"});
  int verifies = 0;
  for (const Srb& srb : m.faults->sent) verifies += srb.cdb[0] == 0x2F;
  EXPECT_EQ(verifies, 2);
  EXPECT_EQ(m.ctx.volume.deviceSectors, 123u);
  EXPECT_EQ(m.ctx.volume.targetId, 0);

  m.ui.answers = {"cancel"};
  DispatchCommand(m.ctx, kMenuVerify);
  EXPECT_EQ(m.ctx.volume.targetId, 0);
  EXPECT_EQ(m.ctx.device.hostAdapterId, 0);

  ExecuteCommandLine(m.ctx, "VERIFY");
  EXPECT_EQ(m.ui.dialogs.size(), 2u);
}

TEST(DriveCommandsTest, BruteForceSearchFindsTheHeaderOfAMediumWithoutMap) {
  MediumContext m;
  const std::string image = m.InsertBlank(44);
  m.ctx.volume.deviceSectors = CartridgeSectors(44);
  FormatVolume(m.ctx, "Lost Map");
  const std::vector<std::uint8_t> zeros(4 * 512, 0);
  WriteSectorRun(m.ctx, 0, zeros);

  m.ui.answers = {"same"};
  DispatchCommand(m.ctx, kMenuBruteForce);
  EXPECT_EQ(m.ui.dialogs, std::vector<std::string>{"DLG_SAME"});
  EXPECT_EQ(m.ctx.volume.volumeOrigin, 388 + 11);
  EXPECT_EQ(m.ctx.listing.count, 4);

  MediumContext blank;
  blank.InsertBlank(44);
  blank.ui.answers = {"same"};
  DispatchCommand(blank.ctx, kMenuBruteForce);
  EXPECT_EQ(blank.ui.messages, std::vector<std::string>{"Unable to find a Macintosh volume header (MDB)."});
}

}  // namespace
}  // namespace tarvo
