#include "ui/partition_dialog.h"

#include <gtest/gtest.h>

#include "support/medium_context.h"

namespace tarvo {
namespace {

class PartitionDialogTest : public ::testing::Test {
 protected:
  PartitionDialogTest() {
    for (std::uint32_t i = 0; i < 10; ++i) list.entries[i] = {"Part " + std::to_string(i), 100 * i + 64, 90};
    list.entries[1].name = "Caf\x8E";  // Mac Roman e-acute
    list.count = 10;
    m.ctx.volume.volumeOrigin = 64;
    m.ctx.volume.targetId = 3;
  }
  testing::MediumContext m;
  PartitionList list;
};

TEST_F(PartitionDialogTest, RowsShowTheFirstEightPartitionsInWindowsCharacters) {
  PartitionDialog dialog(m.ctx, list);
  EXPECT_EQ(dialog.rows()[1].name, "Caf\xE9");
  EXPECT_EQ(dialog.rows()[7].offset, "764");
  EXPECT_EQ(dialog.rows()[7].sectors, "90");
  EXPECT_TRUE(dialog.rows()[7].enabled);
  EXPECT_EQ(dialog.selectedRow(), -1);

  PartitionList two;
  two.entries[0] = {"A", 10, 5};
  two.count = 1;
  PartitionDialog small(m.ctx, two);
  EXPECT_FALSE(small.rows()[1].enabled);
  small.ClickRow(1);  // a disabled row cannot be chosen
  EXPECT_EQ(small.selectedRow(), -1);
}

TEST_F(PartitionDialogTest, OkWithoutChoiceAsksAndStaysOpen) {
  PartitionDialog dialog(m.ctx, list);
  dialog.Ok();
  EXPECT_FALSE(dialog.closed());
  EXPECT_EQ(m.ui.messages, std::vector<std::string>{"Please select a partition on the volume."});
  dialog.ClickRow(2);
  dialog.Ok();
  EXPECT_TRUE(dialog.closed());
  EXPECT_EQ(dialog.result(), 2);
  EXPECT_EQ(m.ctx.volume.volumeOrigin, 64);  // the caller takes the row's start
}

TEST_F(PartitionDialogTest, CancelAndCloseBox) {
  PartitionDialog cancelled(m.ctx, list);
  cancelled.Cancel();
  EXPECT_EQ(cancelled.result(), -1);
  EXPECT_EQ(m.ctx.volume.volumeOrigin, 0);
  EXPECT_EQ(m.ctx.volume.targetId, 3);

  PartitionDialog closed(m.ctx, list);
  closed.Close();
  EXPECT_EQ(closed.result(), -1);
  EXPECT_EQ(m.ctx.volume.targetId, kNoDevice);
}

TEST_F(PartitionDialogTest, TypedAnswers) {
  m.ui.answers = {"9", "x", " 3 "};  // row 9 is not offered; x names nothing
  EXPECT_EQ(ChoosePartition(m.ctx, list), 3);

  m.ui.answers = {"ok", "cancel"};
  EXPECT_EQ(ChoosePartition(m.ctx, list), -1);
  EXPECT_EQ(m.ui.messages.size(), 1u);

  m.ui.answers = {};  // end of input: the default, then cancel
  EXPECT_EQ(ChoosePartition(m.ctx, list), -1);
}

}  // namespace
}  // namespace tarvo
