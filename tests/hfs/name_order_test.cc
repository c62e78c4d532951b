#include "hfs/name_order.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(NameOrderTest, CaseAndAccentsFollowTheWeights) {
  EXPECT_EQ(CompareNames("abc", "ABC"), 0);
  EXPECT_LT(CompareNames("A", "\x80"), 0);  // A-diaeresis after 'A'...
  EXPECT_LT(CompareNames("\x80", "B"), 0);  // ...and before 'B'
  EXPECT_LT(CompareNames("AB", "ABC"), 0);  // a prefix sorts first
  EXPECT_GT(CompareNames("b", "A"), 0);
  EXPECT_EQ(CompareNames("[x]", "(x)"), 0);
  EXPECT_LT(CompareNames("\\", " "), 0);     // backslash weighs 0
  EXPECT_LT(CompareNames("z", "\xA0"), 0);   // dagger after the letters
  EXPECT_EQ(NameWeight('`'), 0x0416);
  EXPECT_EQ(NameWeight(0xFF), 0x0FF0);
  EXPECT_EQ(ComparePrefix("ABX", "abY", 2), 0);
}

TEST(NameOrderTest, Wildcards) {
  EXPECT_EQ(MatchName("*", "anything"), 0);
  EXPECT_EQ(MatchName("*xyz", "anything"), 0);  // a leading '*' matches all
  EXPECT_EQ(MatchName("AB*", "ABC"), 0);
  EXPECT_EQ(MatchName("AB*", "abd"), 0);
  EXPECT_EQ(MatchName("AB*ignored", "ab"), 0);
  EXPECT_GT(MatchName("AB*", "A"), 0);  // shorter than the prefix
  EXPECT_LT(MatchName("AB*", "AC"), 0);
  EXPECT_EQ(MatchName("ABC", "abc "), 0);  // trailing blanks do not count
  EXPECT_EQ(MatchName("ABC  ", "abc"), 0);
  EXPECT_LT(MatchName("ABC", "abcd"), 0);
  EXPECT_GT(MatchName("B", "A"), 0);
}

}  // namespace
}  // namespace tarvo
