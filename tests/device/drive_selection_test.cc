#include "device/drive_selection.h"

#include <gtest/gtest.h>

#include "support/fake_scsi_bus.h"
#include "ui/context.h"
#include "support/scripted_ui.h"

namespace tarvo {
namespace {

using testing::FakeAdapter;
using testing::FakeDrive;
using testing::FakeScsiBus;
using testing::kOpInquiry;
using testing::kOpReadCapacity;

class DriveSelectionTest : public ::testing::Test {
 protected:
  DriveSelectionTest() {
    ctx.scsi = &bus;
    ctx.ui = &ui;
  }
  FakeDrive& AddDrive(std::uint8_t adapter, std::uint8_t target, FakeDrive drive = {}) {
    while (bus.adapters.size() <= adapter) bus.adapters.push_back(FakeAdapter{});
    return bus.adapters[adapter].targets[target] = drive;
  }

  FakeScsiBus bus;
  ScriptedUi ui;
  Context ctx;
};

TEST_F(DriveSelectionTest, ScanListsOnlyCartridgeDrivesUnderTheirAdapter) {
  AddDrive(0, 1, {.vendor = "syquest", .product = "EZ135S"});  // lower-case vendor is enough
  AddDrive(0, 2, {.vendor = "IBM", .product = "DORS-32160"});
  AddDrive(0, 3, {.deviceType = 5, .vendor = "SYQUEST"});  // not direct access
  AddDrive(0, 5, {.vendor = "ACME", .product = "sq3270s", .revision = "2.1"});
  bus.adapters.push_back(FakeAdapter{"SECOND HA", {}});
  ctx.volume.targetId = 4;

  DeviceTable table;
  EXPECT_EQ(ScanBus(ctx, table), (2 << 8) | 2);
  EXPECT_EQ(table[0].adapter, 0);
  EXPECT_EQ(table[0].target, kEndOfTable);
  EXPECT_EQ(table[0].deviceType, 3);
  EXPECT_EQ(table[0].product, "FAKE ASPI");
  EXPECT_EQ(table[1].target, 1);
  EXPECT_EQ(table[1].vendor, "syquest ");
  EXPECT_EQ(table[1].product, "EZ135S          ");
  EXPECT_EQ(table[2].target, 5);
  EXPECT_EQ(table[2].revision, "2.1 ");
  EXPECT_EQ(table[3].adapter, 1);
  EXPECT_EQ(table[3].deviceType, 1);
  EXPECT_EQ(table[3].product, "SECOND HA");
  EXPECT_EQ(table[4].adapter, kEndOfTable);
  EXPECT_EQ(ctx.volume.targetId, 4);  // the scan leaves the selection alone
}

TEST_F(DriveSelectionTest, ScanStopsAtTheTableLimit) {
  for (std::uint8_t a = 0; a < 4; ++a)
    for (std::uint8_t t = 0; t < 8; ++t) AddDrive(a, t);
  DeviceTable table;
  EXPECT_EQ(ScanBus(ctx, table), (3 << 8) | 21);
  EXPECT_EQ(table[18].adapter, 2);
  EXPECT_EQ(table[18].deviceType, 6);  // header and five drives
  EXPECT_EQ(table[23].target, 4);
  EXPECT_EQ(table[24].adapter, kEndOfTable);
}

TEST_F(DriveSelectionTest, ScanRetriesInquiryFiveTimesAndStillUsesTheData) {
  AddDrive(0, 0, {.inquiryFailures = 3});
  AddDrive(0, 1, {.inquiryFailures = 10});
  DeviceTable table;
  EXPECT_EQ(ScanBus(ctx, table) & 0xFF, 2);
  EXPECT_EQ(bus.Count(SrbCommand::kExecScsiCmd, kOpInquiry), 4 + 5);
}

TEST_F(DriveSelectionTest, ReadCapacityCheckedResetsBeforeEveryAttemptAndGivesUpAfterSix) {
  AddDrive(0, 4, {.capacityFailures = 100});
  ctx.device.resetBeforeTransfer = true;
  EXPECT_EQ(ReadCapacityChecked(ctx, 0, 4), 0u);
  EXPECT_EQ(bus.Count(SrbCommand::kExecScsiCmd, kOpReadCapacity), 6);
  EXPECT_EQ(bus.Count(SrbCommand::kBusDeviceReset), 6);
  EXPECT_EQ(bus.sent.front().command, SrbCommand::kBusDeviceReset);
  EXPECT_EQ(ui.statusLines, std::vector<std::string>{"Drive not ready or no floppy disk.|"});
}

TEST_F(DriveSelectionTest, FormatCapacityAsksOnlyWhenTheDriveDoesNotTell) {
  AddDrive(0, 1, {.lastBlock = 173455});
  EXPECT_EQ(FormatCapacity(ctx, 0, 1), 173455u);
  EXPECT_TRUE(ui.dialogs.empty());
  AddDrive(0, 0, {.capacityFailures = 1000});
  const std::pair<const char*, std::uint32_t> choices[] = {
      {"44", 86700}, {"88", 173456}, {"200", 390696}, {"105", 215440}, {"270 MB", 524288}};
  for (auto [answer, sectors] : choices) {
    ui.answers = {answer};
    EXPECT_EQ(FormatCapacity(ctx, 0, 0), sectors) << answer;
    EXPECT_EQ(ctx.volume.deviceSectors, sectors);
  }

  ctx.volume.deviceSectors = 1234;
  for (const char* answer : {"cancel", "ok"}) {
    ui.answers = {answer};
    EXPECT_EQ(FormatCapacity(ctx, 0, 0), 0u) << answer;
    EXPECT_EQ(ctx.volume.deviceSectors, 1234u);
  }
  EXPECT_EQ(ui.dialogs.size(), 7u);
}

}  // namespace
}  // namespace tarvo
