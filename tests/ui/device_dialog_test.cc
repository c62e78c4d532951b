#include "ui/device_dialog.h"

#include <gtest/gtest.h>

#include "support/fake_scsi_bus.h"
#include "ui/context.h"
#include "support/scripted_ui.h"

namespace tarvo {
namespace {

using testing::FakeAdapter;
using testing::FakeDrive;
using testing::FakeScsiBus;
using testing::kOpReadCapacity;

constexpr const char* kSelectDrive = "Please select a drive on the SCSI bus.";

class DeviceDialogTest : public ::testing::Test {
 protected:
  DeviceDialogTest() {
    ctx.scsi = &bus;
    ctx.ui = &ui;
  }
  FakeDrive& AddDrive(std::uint8_t adapter, std::uint8_t target, FakeDrive drive = {}) {
    AddAdapters(adapter + 1);
    return bus.adapters[adapter].targets[target] = drive;
  }
  void AddAdapters(std::size_t count) {
    while (bus.adapters.size() < count)
      bus.adapters.push_back(FakeAdapter{"HA" + std::to_string(bus.adapters.size()), {}});
  }
  std::vector<int> EnabledRows(const DeviceDialog& dialog) {
    std::vector<int> enabled;
    for (int t = 0; t < 8; ++t)
      if (dialog.rows()[t].enabled) enabled.push_back(t);
    return enabled;
  }

  FakeScsiBus bus;
  ScriptedUi ui;
  Context ctx;
};

TEST_F(DeviceDialogTest, TwoDrivesNeedAClickBeforeOk) {
  AddDrive(0, 2, {.product = "SQ3105S", .lastBlock = 215439});
  AddDrive(0, 4);
  DeviceDialog dialog(ctx);
  dialog.Open();
  EXPECT_EQ(EnabledRows(dialog), (std::vector<int>{2, 4}));
  EXPECT_EQ(dialog.rows()[2].product, "SQ3105S         ");
  EXPECT_EQ(dialog.driverName(), "HA0");
  EXPECT_EQ(dialog.selectedTarget(), kNoDevice);
  EXPECT_FALSE(dialog.nextEnabled());
  EXPECT_FALSE(dialog.precedingEnabled());

  dialog.Ok();
  EXPECT_FALSE(dialog.closed());
  EXPECT_EQ(ui.messages, std::vector<std::string>{kSelectDrive});

  dialog.ClickTarget(3);
  EXPECT_EQ(dialog.selectedTarget(), kNoDevice);
  dialog.ClickTarget(2);
  dialog.Ok();
  EXPECT_TRUE(dialog.closed());
  EXPECT_EQ(dialog.result(), DriveChoice::kChosen);
  EXPECT_EQ(ctx.device.hostAdapterId, 0);
  EXPECT_EQ(ctx.volume.targetId, 2);
  EXPECT_EQ(ctx.volume.deviceSectors, 215439u);
  EXPECT_EQ(ctx.device.sectorEntry, SectorEntryKind::k512);
}

TEST_F(DeviceDialogTest, HostButtonsSkipEmptyAdaptersAndClearTheRows) {
  AddDrive(0, 1);
  AddDrive(0, 3);
  AddDrive(2, 6);
  AddAdapters(4);
  DeviceDialog dialog(ctx);
  dialog.Open();
  dialog.ClickTarget(3);
  EXPECT_TRUE(dialog.nextEnabled());

  dialog.NextHost();
  EXPECT_EQ(dialog.shownAdapter(), 2);
  EXPECT_EQ(EnabledRows(dialog), std::vector<int>{6});
  EXPECT_EQ(dialog.selectedTarget(), 6);
  EXPECT_TRUE(dialog.precedingEnabled());

  dialog.NextHost();
  EXPECT_EQ(dialog.shownAdapter(), 3);
  EXPECT_TRUE(EnabledRows(dialog).empty());
  EXPECT_EQ(dialog.selectedTarget(), kNoDevice);
  EXPECT_FALSE(dialog.nextEnabled());

  dialog.PrecedingHost();
  EXPECT_EQ(dialog.shownAdapter(), 2);
  dialog.PrecedingHost();
  EXPECT_EQ(dialog.shownAdapter(), 0);
  EXPECT_EQ(EnabledRows(dialog), (std::vector<int>{1, 3}));
  EXPECT_EQ(dialog.selectedTarget(), kNoDevice);
  EXPECT_FALSE(dialog.precedingEnabled());
  dialog.PrecedingHost();
  EXPECT_EQ(dialog.shownAdapter(), 0);
}

TEST_F(DeviceDialogTest, CloseBoxKeepsTheAdapterCancelDropsBoth) {
  AddDrive(0, 1);
  DeviceDialog closed(ctx);
  closed.Open();
  closed.Close();
  EXPECT_EQ(closed.result(), DriveChoice::kCancelled);
  EXPECT_EQ(ctx.device.hostAdapterId, 0);
  EXPECT_EQ(ctx.volume.targetId, kNoDevice);

  DeviceDialog cancelled(ctx);
  cancelled.Open();
  cancelled.Cancel();
  EXPECT_EQ(cancelled.result(), DriveChoice::kCancelled);
  EXPECT_EQ(ctx.device.hostAdapterId, kNoDevice);
}

TEST_F(DeviceDialogTest, BlockLengthChoosesTheSectorEntry) {
  AddDrive(0, 1, {.lastBlock = 65535, .blockLength = 1024});
  AddDrive(1, 1, {.lastBlock = 5000, .blockLength = 2048});
  DeviceDialog dialog(ctx);
  dialog.Open();
  dialog.Ok();
  EXPECT_EQ(ctx.volume.sectorSize, 1024);
  EXPECT_EQ(ctx.device.sectorEntry, SectorEntryKind::k1024);
  EXPECT_EQ(ctx.volume.deviceSectors, 131071u);

  DeviceDialog other(ctx);
  other.Open();
  other.NextHost();
  other.Ok();
  EXPECT_EQ(other.result(), DriveChoice::kChosen);
  EXPECT_EQ(ctx.volume.sectorSize, 1024);
  EXPECT_EQ(ctx.device.sectorEntry, SectorEntryKind::k1024);
  EXPECT_EQ(ctx.volume.deviceSectors, 5000u);
}

TEST_F(DeviceDialogTest, OkRetriesReadCapacityTenTimesThenEndsTheRun) {
  AddDrive(0, 1, {.capacityFailures = 9});
  DeviceDialog patient(ctx);
  patient.Open();
  patient.Ok();
  EXPECT_EQ(patient.result(), DriveChoice::kChosen);
  EXPECT_EQ(bus.Count(SrbCommand::kExecScsiCmd, kOpReadCapacity), 10);

  bus.adapters[0].targets[1].capacityFailures = 10;
  DeviceDialog fatal(ctx);
  fatal.Open();
  EXPECT_THROW(fatal.Ok(), FatalExit);
  EXPECT_EQ(ui.messages.back(), "Drive not ready or no floppy disk.");
  EXPECT_EQ(bus.Count(SrbCommand::kExecScsiCmd, kOpReadCapacity), 20);
}

TEST_F(DeviceDialogTest, StartupWithoutAdaptersEndsTheRun) {
  EXPECT_THROW(StartupDriveSelection(ctx), FatalExit);
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_EQ(ui.messages.back(), "Error initializing the ASPI manager.");
}

TEST_F(DeviceDialogTest, StartupRefusesPairsThatAreNotUpperCaseSq) {
  const FakeDrive refused[] = {
      {.vendor = "SYQUEST", .product = "EZ135S"},  // the scan would take it
      {.product = "sq3270s"},
      {.deviceType = 5},
  };
  for (const FakeDrive& drive : refused) {
    bus.adapters.clear();
    AddDrive(1, 2, drive);
    ui.messages.clear();
    ctx.device.hostAdapterId = 1;
    ctx.volume.targetId = 2;
    StartupDriveSelection(ctx);
    EXPECT_EQ(ctx.device.hostAdapterId, kNoDevice);
    EXPECT_EQ(ctx.volume.targetId, kNoDevice);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Drive not ready or no floppy disk."});
    EXPECT_EQ(ctx.volume.adapterKind, AdapterKind::kAspi);
  }
}

}  // namespace
}  // namespace tarvo
