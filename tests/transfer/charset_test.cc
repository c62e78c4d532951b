#include "transfer/charset.h"

#include <gtest/gtest.h>

#include "base/utf8.h"

namespace tarvo {
namespace {

std::string Byte(int c) { return std::string(1, static_cast<char>(c)); }

std::string AllBytes() {
  std::string all;
  for (int c = 0; c < 256; ++c) all += Byte(c);
  return all;
}

// A character without counterpart becomes '_': a name is never cut short.
TEST(ConvertString, NeverEndsANameEarly) {
  EXPECT_EQ(ConvertString("a:b", AnsiToMac), "a_b");
  EXPECT_EQ(ConvertString("Tips \x95 Tricks", AnsiToMac), "Tips \xA5 Tricks");
  EXPECT_EQ(ConvertString("x\ty", AnsiToMac), "x_y");
  EXPECT_EQ(ConvertString("", MacToAnsi), "");
  EXPECT_EQ(ConvertString(std::string("ab\0cd", 5), MacToAnsi), "ab_cd");
  for (const CharTable* table : {&MacToAnsi, &AnsiToMac, &AnsiToDos, &DosToAnsi}) {
    const std::string converted = ConvertString(AllBytes(), *table);
    EXPECT_EQ(converted.size(), 256u);
    EXPECT_EQ(converted.find('\0'), std::string::npos);
  }
}

// Every Mac Roman character is shown as itself and, typed back as shown,
// is the same Mac character; Mac's control characters and the backslash
// (the PC's path separator) show as '_'.
TEST(ConvertString, EveryMacCharacterIsShownAndTypedBack) {
  for (int c = 0x20; c < 256; ++c) {
    if (c == ':' || c == '\\') continue;
    const std::string shown = ConvertString(Byte(c), MacToAnsi);
    EXPECT_EQ(AnsiToUtf8(shown), MacRomanToUtf8(Byte(c))) << c;
    EXPECT_EQ(ConvertString(Utf8ToAnsi(AnsiToUtf8(shown)), AnsiToMac), Byte(c)) << c;
  }
  EXPECT_EQ(ConvertString(Utf8ToAnsi("\u03C0 \u2260 \uF8FF"), AnsiToMac), "\xB9 \xAD \xF0");
  EXPECT_EQ(ConvertString(Utf8ToAnsi("\u00A4\u20AC"), AnsiToMac), "\xDB\xDB");
  EXPECT_EQ(ConvertString("\x01\x1E\\", MacToAnsi), "_-_");
}

TEST(CapitalsToLowerCase, OnlyNamesInCapitals) {
  EXPECT_EQ(CapitalsToLowerCase("README.TXT"), "Readme.txt");
  EXPECT_EQ(CapitalsToLowerCase("CAF\x83 \x80"), "Caf\x8E \x8A");  // accented capitals too
  EXPECT_EQ(CapitalsToLowerCase("ReadMe.TXT"), "ReadMe.TXT");
  EXPECT_EQ(CapitalsToLowerCase("CAF\x8E"), "CAF\x8E");  // a small accented letter counts
  EXPECT_EQ(CapitalsToLowerCase(""), "");
}

}  // namespace
}  // namespace tarvo
