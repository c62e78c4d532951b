#include "ui/drive_commands.h"

#include <gtest/gtest.h>

#include "command/run_command.h"
#include "device/cartridge_models.h"
#include "hfs/sector_run.h"
#include "maintenance/format_volume.h"
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
