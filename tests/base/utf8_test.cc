#include "base/utf8.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

std::string AllBytes() {
  std::string s;
  for (int c = 0; c < 256; ++c) s.push_back(static_cast<char>(c));
  return s;
}

TEST(Utf8, EightBitSetsRoundTrip) {
  EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(AllBytes())), AllBytes());
  EXPECT_EQ(Utf8ToDos(DosToUtf8(AllBytes())), AllBytes());
  EXPECT_EQ(Utf8ToMacRoman(MacRomanToUtf8(AllBytes())), AllBytes());
}

TEST(Utf8, UnmappableAndMalformedBecomeUnderscore) {
  EXPECT_EQ(Utf8ToAnsi("a\u4E2Db"), "a_b");             // no counterpart
  EXPECT_EQ(Utf8ToAnsi("\x01"), "_");                   // the window text's code for another character
  EXPECT_EQ(Utf8ToDos("\u20AC"), "_");
  EXPECT_EQ(Utf8ToAnsi("\U0001F600"), "_");             // one character, one '_'
  EXPECT_EQ(Utf8ToAnsi("a\xFF" "b"), "a_b");            // invalid byte
  EXPECT_EQ(Utf8ToAnsi("\xC3"), "_");                   // truncated at the end
  EXPECT_EQ(Utf8ToAnsi("\xE2\x82" "A"), "__A");         // broken sequence
  EXPECT_EQ(Utf8ToAnsi("\xC0\xAF"), "__");              // overlong '/'
  EXPECT_EQ(Utf8ToAnsi("\xED\xA0\x80"), "___");         // surrogate
}

}  // namespace
}  // namespace tarvo
