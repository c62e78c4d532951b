#include "support/help_options.h"

#include <regex>

#include "support/cli_process.h"

namespace tarvo::testing {

std::set<std::string> HelpLongOptions() {
  const std::string help = RunTarvoCli({"--help"}).out;
  std::set<std::string> options;
  const std::regex option("--[a-z][a-z-]*");
  for (auto match = std::sregex_iterator(help.begin(), help.end(), option); match != std::sregex_iterator(); ++match) {
    options.insert(match->str());
  }
  return options;
}

}  // namespace tarvo::testing
