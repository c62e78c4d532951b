#include "ui/messages.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(MessageTable, KeepsEntryNumbersAndPatterns) {
  MessageTable table;
  EXPECT_EQ(table[kMsgCaption], "Tarvo");
  EXPECT_EQ(table[kMsgNoScsiDevice], "The program can't detect a kwown SCSI device.");
  EXPECT_EQ(table[5], "");
  EXPECT_EQ(FormatMessage(table[kMsgCopyOf], "Read Me", "read me.txt"), "Copy of \"Read Me\" to \"read me.txt\"");
  EXPECT_EQ(FormatMessage(table[kMsgBlockError], "64", "1234"),
            "Error in block of 64 sectors beginning at 1234. Do you want to continue?");
  // A value that itself holds a pattern is not filled again.
  EXPECT_EQ(FormatMessage(table[kMsgCopyOf], "100%s", "x"), "Copy of \"100%s\" to \"x\"");
}

}  // namespace
}  // namespace tarvo
