#include "command/parser.h"

#include <gtest/gtest.h>

#include <string>

#include "base/program_settings.h"
#include "command/keywords.h"

namespace tarvo {
namespace {

class ParseCommandTest : public ::testing::Test {
 protected:
  ParsedCommand Parse(std::string_view line) { return ParseCommand(line, flags); }
  std::uint16_t flags = kCopyData;
};

TEST_F(ParseCommandTest, OptionsChangeTheModeWord) {
  ParsedCommand copy = Parse("COPY /B");
  EXPECT_EQ(copy.code, kCmdCopy);
  EXPECT_TRUE(copy.first.empty());
  EXPECT_EQ(flags, kCopyMacBinary);

  const std::pair<const char*, std::uint16_t> modes[] = {
      {"mcopy /h", kCopyBinHex},   {"copy /n", kCopyAppleSingle}, {"mcopy -O", kCopyAppleDouble},
      {"copy -r", kCopyResource}, {"copy /t", kCopyText},         {"copy /d /f", kCopyData | kFilesOnly}};
  for (const auto& [line, mode] : modes) {
    Parse(line);
    EXPECT_EQ(flags, mode) << line;
  }

  Parse("DIR /E");
  EXPECT_EQ(flags & (kListExtended | kListSignature), kListExtended);
  Parse("dir -a");
  EXPECT_EQ(flags & (kListExtended | kListSignature), kListExtended | kListSignature);
  Parse("dir /s /q /z");
  EXPECT_EQ(flags, kCopyData | kFilesOnly);
}

TEST_F(ParseCommandTest, ReadsNoMoreThanTheFieldHolds) {
  std::string line = "COPY " + std::string(74, 'x') + "yyyy";
  ParsedCommand copy = Parse(line);
  EXPECT_EQ(copy.first, std::string(74, 'x'));
  // A line cut inside an option or after a lone dash is safe.
  EXPECT_EQ(Parse(std::string(78, ' ') + "/B").code, kCmdNone);
  EXPECT_EQ(Parse("COPY" + std::string(74, ' ') + "/B").first, "/");
}

}  // namespace
}  // namespace tarvo
