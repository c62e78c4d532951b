#include "transfer/pc_file_name.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

class PcFileNameTest : public ::testing::Test {
 protected:
  std::string Short(const std::string& mac, const std::string& tc) { return ShortPcFileName(mac, tc, table_); }
  std::string Long(const std::string& mac, const std::string& tc) { return LongPcFileName(mac, tc, table_); }
  TypeCreatorTable table_;
};

TEST_F(PcFileNameTest, ShortNamesOfTheKnownExamples) {
  EXPECT_EQ(Short("Read me.txt", "TEXT????"), "README.txt");
  EXPECT_EQ(Short("Annual report 1996", "XLS5XCEL"), "ANNUALRE.xls");
  EXPECT_EQ(Short("[Draft] a.b.c", "WDBNMSWD"), "(DRAFT)A.c");
  EXPECT_EQ(Short("Caf\x8E", "TEXT????"), "CAFE.txt");
  EXPECT_EQ(Short("Spreadsheet data", "XLS4ABCD"), "SPREADSH.xls");
  EXPECT_EQ(Short("   ", "TEXT????"), ".txt");
  // The first six characters of the set are not taken; 80 and above are.
  EXPECT_EQ(Short("a!#$%&'b", "TEXT????"), "AB.txt");
  EXPECT_EQ(Short("\x8A", "TEXT????"), "\x8E.txt");
  EXPECT_EQ(PcFolderName("  My Folder", true), "My Folder");
  EXPECT_EQ(PcFolderName("My old [tax] files", false), "MYOLDTAX");
  EXPECT_EQ(PcFolderName("Caf\x8E", false), "CAFE");
}

TEST_F(PcFileNameTest, NamesNeverLeaveTheirDirectory) {
  EXPECT_EQ(SafePcName(".."), "__");
  EXPECT_EQ(SafePcName("."), "_");
  EXPECT_EQ(SafePcName(""), "_");
  EXPECT_EQ(SafePcName("a/b"), "a_b");
  EXPECT_EQ(SafePcName(std::string("a\0b", 3)), "a_b");
  EXPECT_EQ(SafePcName(".x"), ".x");
  EXPECT_EQ(PcFolderName("..", true), "__");
  EXPECT_EQ(PcFolderName("a/..", true), "a_..");
  EXPECT_EQ(PcFolderName("...", false), "_");  // no letter or digit
  EXPECT_EQ(Short("x./", "TEXT????"), "X._");  // the Mac extension "/"
  for (const std::string& name : {std::string(".."), std::string("."), std::string("../x")}) {
    EXPECT_EQ(Long(name, "????????").find('/'), std::string::npos) << name;
    EXPECT_NE(Long(name, "????????"), "..") << name;
  }
}

}  // namespace
}  // namespace tarvo
