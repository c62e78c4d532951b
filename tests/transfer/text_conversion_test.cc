#include "transfer/text_conversion.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvo {
namespace {

std::FILE* FileHolding(const std::string& text) {
  std::FILE* file = std::tmpfile();
  std::fwrite(text.data(), 1, text.size(), file);
  std::rewind(file);
  return file;
}

std::string Contents(std::FILE* file) {
  std::rewind(file);
  std::string text;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text.push_back(static_cast<char>(c));
  std::fclose(file);
  return text;
}

// A CR LF pair, a two-byte character and a letter with its combining mark
// each straddle a chunk boundary; each converts as if whole.
TEST(TextConversionTest, WhatStraddlesAChunkBoundaryConvertsAsWhole) {
  const std::string fill(kTextChunkBytes - 1, 'a');
  std::FILE* pc = FileHolding(fill + "\r\n" + fill.substr(1) + "\xC3\xA9" + fill.substr(1) + "e\xCC\x81!\n");
  std::FILE* mac = std::tmpfile();
  ASSERT_EQ(PcTextToMacText(pc, mac), PcText::kConverted);
  std::fclose(pc);
  EXPECT_EQ(Contents(mac), fill + "\r" + fill.substr(1) + "\x8E" + fill.substr(1) + "\x8E!\r");

  pc = std::tmpfile();
  mac = FileHolding(fill + "\r\n" + fill.substr(1) + "\x8E\r\rend");
  ASSERT_TRUE(MacTextToPcText(mac, pc));
  std::fclose(mac);
  EXPECT_EQ(Contents(pc), fill + "\n" + fill.substr(1) + "\xC3\xA9\n\nend");
}

TEST(TextConversionTest, AByteOrderMarkGoesAndNonTextIsLeftAlone) {
  std::FILE* mac = std::tmpfile();
  std::FILE* pc = FileHolding("\xEF\xBB\xBFpi \xCF\x80 \xE4\xB8\xAD\r\n");
  ASSERT_EQ(PcTextToMacText(pc, mac), PcText::kConverted);
  std::fclose(pc);
  EXPECT_EQ(Contents(mac), "pi \xB9 _\r");
  for (const std::string& binary : {std::string("ab\0c\n", 5), std::string("caf\xE9\n"), std::string("cut \xC3")}) {
    mac = std::tmpfile();
    pc = FileHolding(binary);
    EXPECT_EQ(PcTextToMacText(pc, mac), PcText::kNotText) << binary;
    std::fclose(pc);
    EXPECT_EQ(Contents(mac), "");
  }
}

}  // namespace
}  // namespace tarvo
