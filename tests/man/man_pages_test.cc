// The manual pages format cleanly and name every option and command word.
#include <unistd.h>

#include <array>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "command/keywords.h"
#include "support/help_options.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

std::string PagePath(const std::string& name) { return std::string(TARVO_SOURCE_DIR) + "/man/" + name; }

std::string GroffWarnings(const std::string& page) {
  const std::string command = "groff -man -Tutf8 -ww " + testing::ShellQuote(page) + " 2>&1 >/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return "groff cannot be run";
  std::string said;
  std::array<char, 256> chunk{};
  while (std::fgets(chunk.data(), static_cast<int>(chunk.size()), pipe) != nullptr) said += chunk.data();
  const int status = ::pclose(pipe);
  return status == 0 ? said : said + "(groff failed)";
}

std::string PageText(const std::string& name) {
  const std::vector<std::uint8_t> bytes = testing::ReadWholeFile(PagePath(name));
  std::string text(bytes.begin(), bytes.end());
  for (std::size_t at = text.find("\\-"); at != std::string::npos; at = text.find("\\-", at)) text.erase(at, 1);
  return text;
}

TEST(ManPages, FormatWithoutWarnings) {
  if (::access("/usr/bin/groff", X_OK) != 0) GTEST_SKIP() << "groff is not installed";
  for (const char* page : {"tarvo-cli.1", "tarvo.1", "tarvo-mount.1"}) EXPECT_EQ(GroffWarnings(PagePath(page)), "") << page;
}

TEST(ManPages, TheConsolePageNamesEveryOptionAndCommandWord) {
  const std::string text = PageText("tarvo-cli.1");
  for (const std::string& option : testing::HelpLongOptions()) {
    bool listed = false;
    for (const char* macro : {".B ", ".BI ", ".BR "}) {
      for (char after : {' ', '\n'}) listed = listed || text.find(".TP\n" + (macro + option) + after) != std::string::npos;
    }
    EXPECT_TRUE(listed) << option;
  }
  const std::string commands = text.substr(text.find(".SH TYPED COMMANDS"));
  for (const Keyword& keyword : KeywordTable()) {
    const std::string word(keyword.word.substr(0, keyword.word.find(' ')));
    EXPECT_NE(commands.find(word), std::string::npos) << word;
  }
}

}  // namespace
}  // namespace tarvo
