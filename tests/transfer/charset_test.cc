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

TEST(ConvertString, KnownCharacters) {
  EXPECT_EQ(ConvertString("Caf\x8E", MacToAnsi), "Caf\xE9");     // é
  EXPECT_EQ(ConvertString("\x8A", MacToAnsi), "\xE4");          // ä
  EXPECT_EQ(ConvertString("\xA5\\", MacToAnsi), "\x95_");        // bullet, backslash
  EXPECT_EQ(ConvertString("\xE4\xDF", AnsiToMac), "\x8A\xA7");   // ä ß
  EXPECT_EQ(ConvertString("\x81", DosToAnsi), "\xFC");          // ü
  EXPECT_EQ(ConvertString("a\r\nb", DosToAnsi), "a\r\nb");      // line ends pass
  EXPECT_EQ(ConvertString("\xE9t\xE9", AnsiToDos), "\x82t\x82");
}

TEST(ConvertString, ShortNameTableUpperCasesAndDropsReservedCharacters) {
  EXPECT_EQ(MacToShortName[' '], 0);  // dropped from short names
  EXPECT_EQ(ConvertString("[x]z", MacToShortName), "(X)Z");
  EXPECT_EQ(ConvertString("Caf\x8E", MacToShortName), "CAFE");
  EXPECT_EQ(ConvertString("\x8A", MacToShortName), "\x8E");  // ä -> DOS Ä
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

TEST(CharTables, LigatureQuoteAndFractionAgreeWithTheCodePages) {
  EXPECT_EQ(ConvertString("c\x9Cur", AnsiToMac), "c\xCFur");  // a name with the oe ligature is not cut
  EXPECT_EQ(AnsiToMac[0x8C], 0xCE);                          // OE ligature
  EXPECT_EQ(AnsiToMac[0x9B], 0xDD);                          // single right angle quote
  for (int c : {0x8C, 0x9B, 0x9C}) {
    EXPECT_EQ(AnsiToUtf8(Byte(c)), MacRomanToUtf8(Byte(AnsiToMac[c]))) << std::hex << c;
  }
  EXPECT_EQ(DosToAnsi[0xAC], 0xBC);  // one quarter
  for (int c = 0xA0; c <= 0xAF; ++c) {
    if (DosToAnsi[c] == 0x5F) continue;
    EXPECT_EQ(DosToUtf8(Byte(c)), AnsiToUtf8(Byte(DosToAnsi[c]))) << std::hex << c;
  }
}

// Typed names make and find what the user sees: every Windows character
// that Mac Roman has becomes that character.
TEST(CharTables, WindowsCharactersBecomeTheirMacCharacters) {
  for (int a = 0x80; a <= 0xFF; ++a) {
    for (int m = 0x80; m <= 0xFF; ++m) {
      if (AnsiToUtf8(Byte(a)) == MacRomanToUtf8(Byte(m))) {
        EXPECT_EQ(AnsiToMac[a], m) << std::hex << a;
      }
    }
  }
  EXPECT_EQ(AnsiToMac[0x80], 0xDB);  // the euro sign, where later systems put it
  EXPECT_EQ(AnsiToMac[0xFE], 0);     // thorn has none; the bullet is 95's
}

// Every Mac character that Windows has is shown as itself, so a name read
// on screen can be typed back.
TEST(CharTables, MacCharactersAreShownAsThemselves) {
  for (int m = 0x80; m <= 0xFF; ++m) {
    for (int a = 0x80; a <= 0xFF; ++a) {
      if (AnsiToUtf8(Byte(a)) == MacRomanToUtf8(Byte(m))) {
        EXPECT_EQ(MacToAnsi[m], a) << std::hex << m;
      }
    }
  }
}

TEST(CharTables, LowCodesAsListed) {
  EXPECT_EQ(MacToAnsi[0x00], 0x5F);
  EXPECT_EQ(MacToAnsi[0x1E], 0x2D);
  EXPECT_EQ(MacToAnsi['A'], 'A');
  EXPECT_EQ(AnsiToMac[0x7F], 0x7F);
  EXPECT_EQ(DosToAnsi[0x0A], 0x0A);
  EXPECT_EQ(DosToAnsi[0x0B], 0x00);
  EXPECT_EQ(MacToShortName[0x1E], 0x2D);
  EXPECT_EQ(MacToShortName[0x11], 0x5F);
  EXPECT_EQ(MacToShortName['!'], '!');
  EXPECT_EQ(MacToShortName['~'], '~');
}

}  // namespace
}  // namespace tarvo
