#include "transfer/charset.h"

#include <gtest/gtest.h>

#include "base/utf8.h"

namespace tarvo {
namespace {

std::string Byte(int c) { return std::string(1, static_cast<char>(c)); }

TEST(ConvertString, StopsAtTheFirstCharacterWithoutCounterpart) {
  EXPECT_EQ(ConvertString("a:b", AnsiToMac), "a");
  EXPECT_EQ(ConvertString("x:y", DosToMac), "x");
  EXPECT_EQ(ConvertString("", MacToAnsi), "");
  // A 0 in the source ends it, even where the table maps 0 to something.
  EXPECT_EQ(ConvertString(std::string("ab\0cd", 5), MacToAnsi), "ab");
}

TEST(ConvertString, KnownCharacters) {
  EXPECT_EQ(ConvertString("Caf\x8E", MacToAnsi), "Caf\xE9");     // é
  EXPECT_EQ(ConvertString("\x8A", MacToAnsi), "\xE4");          // ä
  EXPECT_EQ(ConvertString("\xA5\\", MacToAnsi), "__");          // bullet, backslash
  EXPECT_EQ(ConvertString("\xE4\xDF", AnsiToMac), "\x8A\xA7");   // ä ß
  EXPECT_EQ(ConvertString("\x81", DosToAnsi), "\xFC");          // ü
  EXPECT_EQ(ConvertString("a\r\nb", DosToAnsi), "a\r\nb");      // line ends pass
  EXPECT_EQ(ConvertString("\xE9t\xE9", AnsiToDos), "\x82t\x82");
  EXPECT_EQ(ConvertString("\x94", DosToMac), "\x9A");           // ö
}

TEST(ConvertString, ShortNameTableUpperCasesAndDropsReservedCharacters) {
  EXPECT_EQ(ConvertString("read me", MacToShortName), "READ");
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
    EXPECT_EQ(DosToUtf8(Byte(c)), MacRomanToUtf8(Byte(DosToMac[c]))) << std::hex << c;
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
