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

// macOS writes names decomposed: a letter and its combining accent.
TEST(Utf8, DecomposedLettersAreReadComposed) {
  EXPECT_EQ(Utf8ToMacRoman("Cafe\u0301 A\u030Angstro\u0308m n\u0303 Y\u0308 C\u0327"),
            "Caf\x8E \x81ngstr\x9Am \x96 \xD9 \x82");
  EXPECT_EQ(Utf8ToMacRoman("e\u0301\u0301 x\u0301"), "\x8E_ x_");  // nothing left to compose with
  EXPECT_EQ(Utf8ToAnsi("e\u0301"), "\xE9");
  EXPECT_EQ(Utf8ToMacRoman("\u00A4\u20AC\u4E2D"), "\xDB\xDB_");
}

TEST(Utf8, KnownCharacters) {
  EXPECT_EQ(AnsiToUtf8("\x80"), "\u20AC");  // euro
  EXPECT_EQ(AnsiToUtf8("\x81"), "\u0081");  // undefined in 1252, kept as the C1 control
  EXPECT_EQ(AnsiToUtf8("\xE9"), "\u00E9");
  EXPECT_EQ(DosToUtf8("\x81"), "\u00FC");   // u-umlaut
  EXPECT_EQ(DosToUtf8("\xDB"), "\u2588");
  EXPECT_EQ(MacRomanToUtf8("\x8A"), "\u00E4");  // a-umlaut
  EXPECT_EQ(MacRomanToUtf8("\xA5"), "\u2022");  // bullet
  EXPECT_EQ(MacRomanToUtf8("\xF0"), "\uF8FF");
  EXPECT_EQ(MacRomanToUtf8("\xDB"), "\u20AC");
  EXPECT_EQ(Utf8ToAnsi("\u20AC 5"), "\x80 5");
  EXPECT_EQ(Utf8ToDos("\u00FC"), "\x81");
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
