#include "ui/command_dialog.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvo {
namespace {

TEST(CommandDialogModel, ExecuteKeepsTheFieldsCharactersAndCancelGivesZero) {
  CommandDialog dialog;
  dialog.SetLine(std::string(100, 'x'));
  EXPECT_EQ(dialog.line().size(), 79u);
  dialog.ApplyAnswer("cd \"Inner Folder\"");
  EXPECT_TRUE(dialog.closed());
  EXPECT_EQ(dialog.result(), 1);
  EXPECT_EQ(dialog.line(), "cd \"Inner Folder\"");

  CommandDialog cancelled;
  cancelled.ApplyAnswer(" Cancel ");
  EXPECT_TRUE(cancelled.closed());
  EXPECT_EQ(cancelled.result(), 0);
}

}  // namespace
}  // namespace tarvo
