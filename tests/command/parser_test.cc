#include "command/parser.h"

#include <gtest/gtest.h>

#include <string>

#include "command/keywords.h"
#include "ui/program_settings.h"

namespace tarvo {
namespace {

TEST(LookupKeyword, AbbreviationsTakeTheFirstKeywordInTableOrder) {
  EXPECT_EQ(LookupKeyword("C"), kCmdCopy);
  EXPECT_EQ(LookupKeyword("cd"), kCmdCd);
  EXPECT_EQ(LookupKeyword("CL"), kCmdCls);
  EXPECT_EQ(LookupKeyword("d"), kCmdDir);
  EXPECT_EQ(LookupKeyword("De"), kCmdDelete);
  EXPECT_EQ(LookupKeyword("E"), kCmdDelete);  // ERASE shares DELETE's code
  EXPECT_EQ(LookupKeyword("L"), kCmdLog);
  EXPECT_EQ(LookupKeyword("LO"), kCmdLog);
  EXPECT_EQ(LookupKeyword("LOC"), kCmdLock);
  EXPECT_EQ(LookupKeyword("la"), kCmdLabel);
  EXPECT_EQ(LookupKeyword("M"), kCmdMcopy);
  EXPECT_EQ(LookupKeyword("R"), kCmdRename);
  EXPECT_EQ(LookupKeyword("REP"), kCmdRep);
  EXPECT_EQ(LookupKeyword("S"), kCmdSwap);
  EXPECT_EQ(LookupKeyword("?"), kCmdHelp);
  EXPECT_EQ(LookupKeyword("unlock"), kCmdUnlock);
}

TEST(LookupKeyword, RejectsEmptyLongerAndUnknownWords) {
  EXPECT_EQ(LookupKeyword(""), kCmdNone);
  EXPECT_EQ(LookupKeyword("COPYX"), kCmdNone);
  EXPECT_EQ(LookupKeyword("??"), kCmdNone);
  EXPECT_EQ(LookupKeyword("X"), kCmdNone);
  EXPECT_EQ(KeywordTable().size(), 28u);
  EXPECT_EQ(KeywordTable()[3].word, "CD \\");
}

class ParseCommandTest : public ::testing::Test {
 protected:
  ParsedCommand Parse(std::string_view line) { return ParseCommand(line, flags); }
  std::uint16_t flags = kCopyData;
};

TEST_F(ParseCommandTest, ChangeDirectoryForms) {
  EXPECT_EQ(Parse("cd..").code, kCmdCdParent);
  EXPECT_EQ(Parse("CD ..").code, kCmdCdParent);
  EXPECT_EQ(Parse("cd\\").code, kCmdCdRoot);
  EXPECT_EQ(Parse("  CD \\").code, kCmdCdRoot);
  ParsedCommand cd = Parse("cd Photos");
  EXPECT_EQ(cd.code, kCmdCd);
  EXPECT_EQ(cd.first, "Photos");
  // Only CD is turned; other commands keep their code.
  EXPECT_EQ(Parse("DIR ..").code, kCmdDir);
}

TEST_F(ParseCommandTest, QuotedArgumentsAndDroppedThirdArgument) {
  ParsedCommand copy = Parse("COPY \"Read Me\" second third");
  EXPECT_EQ(copy.code, kCmdCopy);
  EXPECT_EQ(copy.first, "Read Me");
  EXPECT_EQ(copy.second, "second");

  ParsedCommand rename = Parse("ren old\tnew");
  EXPECT_EQ(rename.code, kCmdRename);
  EXPECT_EQ(rename.first, "old");
  EXPECT_EQ(rename.second, "new");

  // An unclosed quote runs to the end of the line.
  EXPECT_EQ(Parse("md \"New stuff").first, "New stuff");
  EXPECT_EQ(Parse("md \"\" x").second, "x");
}

TEST_F(ParseCommandTest, OptionsChangeTheModeWord) {
  ParsedCommand copy = Parse("COPY /B");
  EXPECT_EQ(copy.code, kCmdCopy);
  EXPECT_TRUE(copy.first.empty());
  EXPECT_EQ(flags, kCopyMacBinary);

  Parse("copy -r");
  EXPECT_EQ(flags, kCopyResource);
  Parse("copy /d /f");
  EXPECT_EQ(flags, kCopyData | kFilesOnly);

  Parse("DIR /E");
  EXPECT_EQ(flags & (kListExtended | kListSignature), kListExtended);
  Parse("dir -a");
  EXPECT_EQ(flags & (kListExtended | kListSignature), kListExtended | kListSignature);
  Parse("dir /s /q /z");
  EXPECT_EQ(flags, kCopyData | kFilesOnly);
}

TEST_F(ParseCommandTest, OptionWithTwoLettersReadsTheSecondAsArgument) {
  ParsedCommand dir = Parse("DIR -eb");
  EXPECT_EQ(flags & kListExtended, kListExtended);
  EXPECT_EQ(flags & kCopyMacBinary, 0);
  EXPECT_EQ(dir.first, "b");
  // A dash or slash not followed by a letter is an ordinary argument.
  EXPECT_EQ(Parse("mode -").first, "-");
  EXPECT_EQ(Parse("MODE r+").first, "r+");
}

TEST_F(ParseCommandTest, UnknownOrMissingWordDoesNothing) {
  EXPECT_EQ(Parse("").code, kCmdNone);
  EXPECT_EQ(Parse("   ").code, kCmdNone);
  ParsedCommand none = Parse("/B foo");
  EXPECT_EQ(none.code, kCmdNone);
  EXPECT_TRUE(none.first.empty());
  EXPECT_EQ(Parse("frobnicate /R").code, kCmdNone);
  EXPECT_EQ(flags, kCopyData);
}

TEST_F(ParseCommandTest, ReadsNoMoreThanTheFieldHolds) {
  std::string line = "COPY " + std::string(74, 'x') + "yyyy";
  ParsedCommand copy = Parse(line);
  EXPECT_EQ(copy.first, std::string(74, 'x'));
  // A line cut inside an option or after a lone dash is safe.
  EXPECT_EQ(Parse(std::string(78, ' ') + "/B").code, kCmdNone);
  EXPECT_EQ(Parse("COPY" + std::string(74, ' ') + "/B").first, "/");
}

TEST_F(ParseCommandTest, SurvivesArbitraryBytes) {
  unsigned seed = 12345;
  for (int round = 0; round < 2000; ++round) {
    std::string line;
    const int length = static_cast<int>(seed % 200);
    for (int i = 0; i < length; ++i) {
      seed = seed * 1103515245u + 12345u;
      const char pick[] = {'c', 'D', ' ', '.', '\\', '-', '/', '"', 'b', '\t', '?', '\0', '\xff'};
      line.push_back(pick[(seed >> 16) % sizeof(pick)]);
    }
    ParsedCommand parsed = Parse(line);
    EXPECT_LE(parsed.first.size(), kCommandLineLimit);
    EXPECT_LE(parsed.second.size(), kCommandLineLimit);
    EXPECT_LE(parsed.code, kCmdSwap);
  }
}

}  // namespace
}  // namespace tarvo
