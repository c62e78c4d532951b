// Verification of the medium in groups of 4096 blocks, and a format refused.
#include "maintenance/verify_medium.h"

#include <gtest/gtest.h>

#include "base/big_endian.h"
#include "maintenance/format_volume.h"
#include "support/medium_context.h"

namespace tarvo {
namespace {

struct Group {
  std::uint32_t first, count;
  bool operator==(const Group&) const = default;
};

std::vector<Group> VerifyCommands(const testing::MediumContext& m) {
  std::vector<Group> groups;
  for (const Srb& srb : m.faults->sent) {
    if (srb.cdb[0] == 0x2F) groups.push_back({GetU32(srb.cdb, 2), GetU16(srb.cdb, 7)});
  }
  return groups;
}

// A medium whose last block is `last`.
void InsertMedium(testing::MediumContext& m, std::uint32_t last) {
  m.Insert(std::vector<std::uint8_t>((std::size_t{last} + 1) * 512, 0));
}

TEST(VerifyMediumTest, GroupsOf4096BlocksFromBlockOne) {
  testing::MediumContext m;
  InsertMedium(m, 4096);
  VerifyMedium(m.ctx, 0, 0);
  EXPECT_EQ(VerifyCommands(m), (std::vector<Group>{{1, 4096}}));
  EXPECT_EQ(m.ui.progress.back(), 100u);

  InsertMedium(m, 4097);
  VerifyMedium(m.ctx, 0, 0);
  EXPECT_EQ(VerifyCommands(m), (std::vector<Group>{{1, 4096}, {4097, 1}}));
  EXPECT_TRUE(m.ui.boxes.empty());
}

TEST(VerifyMediumTest, ABadGroupAsksAndYesGoesOnWithTheNext) {
  testing::MediumContext m;
  InsertMedium(m, 3 * 4096);
  m.faults->unreadableSectors = {5000};
  m.ui.answers = {"yes"};
  VerifyMedium(m.ctx, 0, 0);
  EXPECT_EQ(m.ui.boxes,
            std::vector<std::string>{"Error in block of 4096 sectors beginning at 4097. Do you want to continue?"});
  EXPECT_EQ(VerifyCommands(m), (std::vector<Group>{{1, 4096}, {4097, 4096}, {8193, 4096}}));  // no retry

  for (const char* answer : {"no", "cancel"}) {
    InsertMedium(m, 3 * 4096);
    m.faults->unreadableSectors = {1};
    m.ui.answers = {answer};
    VerifyMedium(m.ctx, 0, 0);
    EXPECT_EQ(VerifyCommands(m), (std::vector<Group>{{1, 4096}})) << answer;
  }
}

TEST(VerifyMediumTest, NoCapacityOrAnAbortVerifiesNothing) {
  testing::MediumContext m;
  InsertMedium(m, 9000);
  m.faults->notReadyCommands = 1;
  VerifyMedium(m.ctx, 0, 0);
  EXPECT_TRUE(VerifyCommands(m).empty());

  InsertMedium(m, 9000);
  m.ui.pendingEscapes = 1;
  m.ui.answers = {"yes"};  // "Do you really want to abort?"
  VerifyMedium(m.ctx, 0, 0);
  EXPECT_TRUE(VerifyCommands(m).empty());
}

TEST(FormatVolumeTest, TooSmallAMediumIsRefusedUntouched) {
  testing::MediumContext m;
  m.Insert(std::vector<std::uint8_t>(512 * 800, 0xAA));
  m.ctx.volume.deviceSectors = 800;
  FormatVolume(m.ctx, "Tiny");
  EXPECT_EQ(m.ui.messages, std::vector<std::string>{"Unable to identify the magnetic medium."});
  for (const Srb& srb : m.faults->sent) EXPECT_NE(srb.cdb[0], 0x0A);  // no WRITE(6)
}

}  // namespace
}  // namespace tarvo
