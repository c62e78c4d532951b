#include "base/charset.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

std::string AllBytes() {
  std::string all(256, '\0');
  for (int c = 0; c < 256; ++c) all[c] = static_cast<char>(c);
  return all;
}

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

}  // namespace
}  // namespace tarvo
