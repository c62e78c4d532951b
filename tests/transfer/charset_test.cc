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

}  // namespace
}  // namespace tarvo
