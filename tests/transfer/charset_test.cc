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
  EXPECT_EQ(ConvertString("x\x01y", AnsiToMac), "x_y");
  EXPECT_EQ(ConvertString("", MacToAnsi), "");
  EXPECT_EQ(ConvertString(std::string("ab\0cd", 5), MacToAnsi), "ab_cd");
  for (const CharTable* table : {&MacToAnsi, &AnsiToMac, &AnsiToDos, &DosToAnsi}) {
    const std::string converted = ConvertString(AllBytes(), *table);
    EXPECT_EQ(converted.size(), 256u);
    EXPECT_EQ(converted.find('\0'), std::string::npos);
  }
}

// The accented letters, where names mostly differ, agree with the standard
// code pages.
TEST(CharTables, AccentedLettersMatchTheCodePages) {
  for (int c = 0x80; c <= 0x9F; ++c) {
    EXPECT_EQ(MacRomanToUtf8(Byte(c)), AnsiToUtf8(Byte(MacToAnsi[c]))) << std::hex << c;
    EXPECT_EQ(AnsiToMac[MacToAnsi[c]], c) << std::hex << c;
  }
  for (int c = 0x80; c <= 0x9A; ++c) {
    EXPECT_EQ(DosToUtf8(Byte(c)), AnsiToUtf8(Byte(DosToAnsi[c]))) << std::hex << c;
  }
  for (int c = 0xE0; c <= 0xFF; ++c) {
    if (AnsiToDos[c] >= 0x80) {
      EXPECT_EQ(AnsiToUtf8(Byte(c)), DosToUtf8(Byte(AnsiToDos[c]))) << std::hex << c;
    }
  }
}

// Typed names make and find what the user sees: every Windows character
// that Mac Roman has becomes that character, and is shown as itself, so a
// name read on screen can be typed back.
TEST(CharTables, WindowsAndMacCharactersMapToEachOther) {
  for (int a = 0x80; a <= 0xFF; ++a) {
    for (int m = 0x80; m <= 0xFF; ++m) {
      if (AnsiToUtf8(Byte(a)) == MacRomanToUtf8(Byte(m))) {
        EXPECT_EQ(AnsiToMac[a], m) << std::hex << a;
        EXPECT_EQ(MacToAnsi[m], a) << std::hex << m;
      }
    }
  }
  EXPECT_EQ(AnsiToMac[0x80], 0xDB);  // the euro sign, where later systems put it
  EXPECT_EQ(AnsiToMac[0xFE], 0);     // thorn has none; the bullet is 95's
}

}  // namespace
}  // namespace tarvo
