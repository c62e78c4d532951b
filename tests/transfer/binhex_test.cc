#include "transfer/binhex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvo {
namespace {

// Runs of every length around the limits of one run, of 0x90 (the run
// marker) among them, and ordinary bytes.
BinHexFile Sample() {
  BinHexFile file;
  file.name = "Sample \x90 file";
  file.type = "APPL";
  file.creator = "TRVO";
  file.finderFlags = 0x2100;
  for (const std::uint8_t b : {std::uint8_t{0x90}, std::uint8_t{0}, std::uint8_t{'a'}}) {
    for (const std::size_t run : {1, 2, 3, 255, 256, 600}) {
      file.dataFork.insert(file.dataFork.end(), run, b);
      file.dataFork.push_back(static_cast<std::uint8_t>(run));
    }
  }
  for (int i = 0; i < 1000; ++i) file.resourceFork.push_back(static_cast<std::uint8_t>(i * 7 ^ i >> 3));
  return file;
}

TEST(BinHexTest, DecodesWhatItEncodesAfterLeadingText) {
  const BinHexFile sample = Sample();
  const std::string text = EncodeBinHex(sample);
  EXPECT_EQ(text.rfind("(This file must be converted with BinHex 4.0)\n:", 0), 0u);
  BinHexFile back;
  ASSERT_EQ(DecodeBinHex("From: someone\r\nSubject: a file\r\n\r\n" + text, back), BinHexCheck::kDecoded);
  EXPECT_EQ(back.name, sample.name);
  EXPECT_EQ(back.type + back.creator, "APPLTRVO");
  EXPECT_EQ(back.finderFlags, 0x2100);
  EXPECT_EQ(back.dataFork, sample.dataFork);
  EXPECT_EQ(back.resourceFork, sample.resourceFork);
}

TEST(BinHexTest, DamagedTextsAreRefused) {
  const std::string text = EncodeBinHex(Sample());
  const std::size_t start = text.find(':') + 1;
  BinHexFile untouched;
  untouched.name = "kept";
  auto decode = [&untouched](const std::string& damaged) {
    BinHexFile file = untouched;
    const BinHexCheck check = DecodeBinHex(damaged, file);
    EXPECT_EQ(file.name, "kept");
    return check;
  };
  auto flipped = [&text](std::size_t at) {
    std::string damaged = text;
    damaged[at] = damaged[at] == 'a' ? 'b' : 'a';
    return damaged;
  };
  EXPECT_EQ(decode(flipped(start + 6)), BinHexCheck::kBadHeaderCrc);
  EXPECT_EQ(decode(flipped(start + 80)), BinHexCheck::kBadDataCrc);
  EXPECT_EQ(decode(flipped(text.size() - 20)), BinHexCheck::kBadResourceCrc);
  EXPECT_EQ(decode(text.substr(0, text.size() / 2)), BinHexCheck::kTruncated);
  EXPECT_EQ(decode(text.substr(0, text.size() / 2) + ":"), BinHexCheck::kTruncated);
  std::string foreign = text;
  foreign[start + 10] = 'o';  // not in the alphabet
  EXPECT_EQ(decode(foreign), BinHexCheck::kBadCharacter);
  EXPECT_EQ(decode("plain text\n:abc:\n"), BinHexCheck::kNoBinHexLine);
  EXPECT_EQ(decode("(This file must be converted with BinHex 4.0)\n:!!!!!!!!:\n"), BinHexCheck::kBadHeader);
}

}  // namespace
}  // namespace tarvo
