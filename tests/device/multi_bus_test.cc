#include "device/multi_bus.h"

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "device/fault_bus.h"
#include "device/image_bus.h"
#include "support/scratch_files.h"
#include "support/srb_builders.h"

namespace tarvo {
namespace {

using namespace tarvo::testing;

class StubBackend : public ScsiManager {
 public:
  StubBackend(std::uint8_t status, std::uint8_t adapters) : status_(status), adapters_(adapters) {}
  std::uint32_t GetSupportInfo() override { return std::uint32_t{status_} << 8 | adapters_; }
  void SendCommand(Srb& srb) override {
    seenHaIds.push_back(srb.haId);
    if (srb.haId >= adapters_) {
      srb.status = kSsInvalidHa;
      return;
    }
    srb.haCount = adapters_;
    srb.managerId.fill(0);
    srb.managerId[0] = static_cast<char>('A' + srb.haId);
    srb.status = kSsComp;
  }
  MediumLockResult ClaimMedium(std::uint8_t haId, std::uint8_t target) override {
    claims.emplace_back(haId, target);
    return MediumLockResult::kInUse;
  }
  void ShareMedia() override { ++shares; }
  std::vector<std::uint8_t> seenHaIds;
  std::vector<std::pair<std::uint8_t, std::uint8_t>> claims;
  int shares = 0;

 private:
  std::uint8_t status_;
  std::uint8_t adapters_;
};

class MultiBusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::uint8_t> image(16 * 512);
    WriteWholeFile(dir.Path("a.img"), image);
    ASSERT_EQ(images.Attach({dir.Path("a.img")}), "");
    bus.Add(faults);
    bus.Add(broken);
    bus.Add(hosts);
  }

  ScratchDir dir;
  ImageBus images;
  FaultBus faults{images};
  StubBackend broken{kSsErr, 4};  // unusable: contributes no adapters
  StubBackend hosts{kSsComp, 2};
  MultiBus bus;
};

TEST_F(MultiBusTest, NumbersAdaptersAcrossBackends) {
  EXPECT_EQ(bus.GetSupportInfo(), 0x0103u);
  Srb first = HaInquirySrb(0);
  EXPECT_EQ(SendAndWait(bus, first), kSsComp);
  EXPECT_EQ(first.haCount, 3);
  EXPECT_EQ(std::string(first.managerId.data()), "Tarvo image bus");
  Srb third = HaInquirySrb(2);
  EXPECT_EQ(SendAndWait(bus, third), kSsComp);
  EXPECT_EQ(third.haCount, 3);
  EXPECT_EQ(third.haId, 2);
  EXPECT_EQ(third.managerId[0], 'B');  // the stub's own adapter 1
  Srb beyond = HaInquirySrb(3);
  EXPECT_EQ(SendAndWait(bus, beyond), kSsInvalidHa);
  EXPECT_EQ(beyond.haCount, 0);
  EXPECT_EQ(hosts.seenHaIds, (std::vector<std::uint8_t>{1}));
  EXPECT_TRUE(broken.seenHaIds.empty());

  MultiBus empty;
  EXPECT_NE(empty.GetSupportInfo() >> 8, kSsComp);
}

TEST_F(MultiBusTest, RoutesClaimsToTheirBackendAndSharingToAll) {
  EXPECT_EQ(bus.ClaimMedium(2, 5), MediumLockResult::kInUse);
  EXPECT_EQ(hosts.claims, (std::vector<std::pair<std::uint8_t, std::uint8_t>>{{1, 5}}));
  EXPECT_TRUE(broken.claims.empty());
  bus.ShareMedia();
  EXPECT_EQ(hosts.shares, 1);
  EXPECT_EQ(broken.shares, 1);
}

}  // namespace
}  // namespace tarvo
