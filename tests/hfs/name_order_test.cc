#include "hfs/name_order.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(NameOrderTest, PrefixWildcards) {
  EXPECT_EQ(MatchName("*", "anything"), 0);
  EXPECT_EQ(MatchName("AB*", "ABC"), 0);
  EXPECT_EQ(MatchName("AB*", "abd"), 0);
  EXPECT_EQ(MatchName("AB*", "ab"), 0);
  EXPECT_GT(MatchName("AB*", "A"), 0);  // shorter than the prefix
  EXPECT_LT(MatchName("AB*", "AC"), 0);
  EXPECT_EQ(MatchName("ABC", "abc "), 0);  // trailing blanks do not count
  EXPECT_EQ(MatchName("ABC  ", "abc"), 0);
  EXPECT_LT(MatchName("ABC", "abcd"), 0);
  EXPECT_GT(MatchName("B", "A"), 0);
}

TEST(NameOrderTest, TextAfterTheStarCounts) {
  EXPECT_EQ(MatchName("*.bak", "Notes.bak"), 0);
  EXPECT_EQ(MatchName("*.bak", "OLD.BAK"), 0);
  EXPECT_EQ(MatchName("*.bak", ".bak"), 0);
  EXPECT_EQ(MatchName("*.bak  ", "a.b.bak "), 0);
  EXPECT_NE(MatchName("*.bak", "Notes"), 0);
  EXPECT_NE(MatchName("*.bak", "Notes.bak.txt"), 0);
  EXPECT_NE(MatchName("*xyz", "anything"), 0);

  EXPECT_EQ(MatchName("a*z", "az"), 0);
  EXPECT_EQ(MatchName("a*z", "Abc Z"), 0);
  EXPECT_NE(MatchName("a*z", "\x8A" "z"), 0);     // accents count...
  EXPECT_EQ(MatchName("\x80*z", "\x8A" "Z"), 0);  // ...and case does not
  EXPECT_NE(MatchName("a*z", "a"), 0);
  EXPECT_NE(MatchName("a*z", "abc"), 0);
  EXPECT_NE(MatchName("a*z", "za"), 0);

  // The sign comes from the prefix: a name that carries it but fails
  // further on leaves later names to match.
  EXPECT_GT(MatchName("a*z", "abc"), 0);
  EXPECT_LT(MatchName("a*z", "Bz"), 0);
  EXPECT_GT(MatchName("*.bak", "Notes"), 0);
}

TEST(NameOrderTest, QuestionMarkStandsForOneCharacter) {
  EXPECT_TRUE(HasWildcard("a?c"));
  EXPECT_EQ(WildcardPrefix("ab?d*"), "ab");
  EXPECT_EQ(MatchName("a?c", "abc"), 0);
  EXPECT_EQ(MatchName("a?c", "A?C"), 0);
  EXPECT_NE(MatchName("a?c", "ac"), 0);
  EXPECT_NE(MatchName("a?c", "abbc"), 0);
  EXPECT_EQ(MatchName("??", "xy"), 0);
  EXPECT_NE(MatchName("??", "x"), 0);
  EXPECT_EQ(MatchName("?*.bak", "x.bak"), 0);
  EXPECT_NE(MatchName("?*.bak", ".bak"), 0);
  EXPECT_GT(MatchName("a?c", "abd"), 0);
  EXPECT_LT(MatchName("b?", "c1"), 0);
}

}  // namespace
}  // namespace tarvo
