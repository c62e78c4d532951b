#include "device/fault_bus.h"

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "base/big_endian.h"
#include "device/image_bus.h"
#include "support/scratch_files.h"
#include "support/srb_builders.h"

namespace tarvo {
namespace {

using namespace tarvo::testing;

class FaultBusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::uint8_t> image(64 * 512);
    for (std::uint32_t b = 0; b < 64; ++b) PutU32(image, b * 512, b);
    path = dir.Path("a.img");
    WriteWholeFile(path, image);
    ASSERT_EQ(images.Attach({path}), "");
  }
  std::uint8_t Transfer(bool write, std::uint32_t block, std::uint16_t count, std::vector<std::uint8_t>& buffer) {
    last = ReadWrite6Srb(0, 0, write, block, count, buffer);
    return SendAndWait(faults, last);
  }

  ScratchDir dir;
  std::string path;
  ImageBus images;
  FaultBus faults{images};
  Srb last;
};

TEST_F(FaultBusTest, UnreadableSectorsFailEveryReadThatTouchesThem) {
  faults.unreadableSectors = {10, 20};
  std::vector<std::uint8_t> buffer(4 * 512, 0x77);
  for (std::uint32_t block : {7u, 10u, 17u}) {
    EXPECT_EQ(Transfer(false, block, 4, buffer), kSsErr) << block;
    EXPECT_EQ(SenseKey(last), kSenseMediumError);
    EXPECT_EQ(SenseCode(last), 0x11);
  }
  EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 0x77), 4 * 512);
  EXPECT_EQ(Transfer(false, 11, 4, buffer), kSsComp);
  EXPECT_EQ(GetU32(buffer, 0), 11u);
  EXPECT_EQ(Transfer(true, 10, 1, buffer), kSsComp);  // writes are not reads

  Srb verify = Verify10Srb(0, 0, 0, 11);
  EXPECT_EQ(SendAndWait(faults, verify), kSsErr);
  verify = Verify10Srb(0, 0, 0, 10);
  EXPECT_EQ(SendAndWait(faults, verify), kSsComp);
}

TEST_F(FaultBusTest, NotReadyLastsForTheGivenNumberOfCommands) {
  faults.notReadyCommands = 2;
  Srb type = DeviceTypeSrb(0, 0);
  EXPECT_EQ(SendAndWait(faults, type), kSsComp);  // not an exec request: unaffected
  std::vector<std::uint8_t> buffer(512);
  EXPECT_EQ(Transfer(false, 0, 1, buffer), kSsErr);
  EXPECT_EQ(SenseKey(last), kSenseNotReady);
  EXPECT_EQ(Transfer(false, 0, 1, buffer), kSsErr);
  EXPECT_EQ(Transfer(false, 0, 1, buffer), kSsComp);
}

TEST_F(FaultBusTest, FailingWritesLeaveTheMediumAlone) {
  const auto before = ReadWholeFile(path);
  std::vector<std::uint8_t> buffer(2 * 512, 0xEE);
  faults.unwritableSectors = {31};
  EXPECT_EQ(Transfer(true, 30, 2, buffer), kSsErr);
  EXPECT_EQ(SenseKey(last), kSenseMediumError);
  EXPECT_EQ(SenseCode(last), 0x0C);
  EXPECT_EQ(ReadWholeFile(path), before);
  EXPECT_EQ(Transfer(true, 32, 2, buffer), kSsComp);
  faults.failAllWrites = true;
  EXPECT_EQ(Transfer(true, 40, 2, buffer), kSsErr);
  EXPECT_EQ(Transfer(false, 40, 2, buffer), kSsComp);
  EXPECT_EQ(GetU32(buffer, 0), 40u);
}

TEST_F(FaultBusTest, TheChosenWriteFailsWithItsRetriesAndLaterWritesSucceed) {
  const auto before = ReadWholeFile(path);
  std::vector<std::uint8_t> first(512, 0x11), second(512, 0x22), third(512, 0x33);
  faults.failWriteNumber = 2;
  EXPECT_EQ(Transfer(true, 5, 1, first), kSsComp);
  for (int attempt = 0; attempt < 3; ++attempt) EXPECT_EQ(Transfer(true, 6, 1, second), kSsErr) << attempt;
  EXPECT_EQ(SenseCode(last), 0x0C);
  // The same sector with other data is another write: it succeeds.
  EXPECT_EQ(Transfer(true, 6, 1, third), kSsComp);
  EXPECT_EQ(Transfer(true, 6, 1, second), kSsComp);
  EXPECT_EQ(faults.writesSeen, 4);
  const auto after = ReadWholeFile(path);
  EXPECT_EQ(after[5 * 512], 0x11);
  EXPECT_EQ(after[6 * 512], 0x22);
  EXPECT_TRUE(std::equal(before.begin() + 7 * 512, before.end(), after.begin() + 7 * 512));
}

TEST_F(FaultBusTest, DelaysCountsResetsAndRecordsRequests) {
  faults.pendingPolls = 3;
  Srb reset = ResetSrb(0, 0);
  faults.SendCommand(reset);
  EXPECT_EQ(reset.status, kSsPending);
  faults.Poll(reset);
  faults.Poll(reset);
  EXPECT_EQ(reset.status, kSsPending);
  faults.Poll(reset);
  EXPECT_EQ(reset.status, kSsComp);
  EXPECT_EQ(faults.resetCount, 1);

  faults.pendingPolls = 0;
  std::vector<std::uint8_t> buffer(256 * 512);
  Srb huge = ReadWrite6Srb(0, 0, false, 0x012345, 256, buffer);
  EXPECT_EQ(SendAndWait(faults, huge), kSsErr);  // past the end of the medium
  ASSERT_EQ(faults.sent.size(), 2u);
  const Srb& recorded = faults.sent[1];
  EXPECT_EQ(recorded.status, kSsPending);  // copied before it ran
  EXPECT_EQ(recorded.cdb[1], 0x01);
  EXPECT_EQ(recorded.cdb[2], 0x23);
  EXPECT_EQ(recorded.cdb[3], 0x45);
  EXPECT_EQ(recorded.cdb[4], 0);
  EXPECT_EQ(recorded.bufLen, 256u * 512);
  EXPECT_EQ(recorded.flags, kSrbDirIn);
}

}  // namespace
}  // namespace tarvo
