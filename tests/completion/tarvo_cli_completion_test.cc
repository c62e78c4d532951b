// The bash completion of tarvo-cli, called as bash calls it.
#include <array>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "command/keywords.h"
#include "support/help_options.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

using Words = std::set<std::string>;

Words Complete(const std::vector<std::string>& words) {
  std::string script = "source " + testing::ShellQuote(std::string(TARVO_SOURCE_DIR) + "/completion/tarvo-cli") +
                       "; COMP_WORDS=(";
  for (const std::string& word : words) script += testing::ShellQuote(word) + " ";
  script += "); COMP_CWORD=" + std::to_string(words.size() - 1) + "; _tarvo_cli; printf '%s\\n' \"${COMPREPLY[@]}\"";
  FILE* pipe = ::popen(("bash -c " + testing::ShellQuote(script) + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return {"(bash cannot be run)"};
  std::string output;
  std::array<char, 256> chunk{};
  while (std::fgets(chunk.data(), static_cast<int>(chunk.size()), pipe) != nullptr) output += chunk.data();
  ::pclose(pipe);
  Words offered;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty()) offered.insert(line);
  }
  return offered;
}

TEST(TarvoCliCompletion, OffersOptionsCommandWordsMenuNumbersAndImages) {
  const Words options = Complete({"tarvo-cli", "--"});
  for (const std::string& option : testing::HelpLongOptions()) EXPECT_EQ(options.count(option), 1u) << option;
  EXPECT_EQ(Complete({"tarvo-cli", "--im"}), Words{"--image"});

  Words keywords;
  for (const Keyword& keyword : KeywordTable()) {
    if (keyword.word != "?") keywords.insert(std::string(keyword.word.substr(0, keyword.word.find(' '))));
  }
  EXPECT_EQ(Complete({"tarvo-cli", "--image", "a.img", "-c", ""}), keywords);
  EXPECT_EQ(Complete({"tarvo-cli", "-c", "mc"}), Words{"MCOPY"});
  EXPECT_EQ(Complete({"tarvo-cli", "--menu", "13"}),
            (Words{"130", "131", "132", "133", "134", "135", "136", "137", "138", "139"}));

  testing::ScratchDir dir;
  testing::WriteWholeFile(dir.Path("card.img"), std::vector<std::uint8_t>{0});
  EXPECT_EQ(Complete({"tarvo-cli", "--image", dir.Path("ca")}), Words{dir.Path("card.img")});
}

}  // namespace
}  // namespace tarvo
