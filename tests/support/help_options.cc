#include "support/help_options.h"

#include <cctype>

#include "support/cli_process.h"

namespace tarvo::testing {

std::set<std::string> HelpLongOptions() {
  const std::string help = RunTarvoCli({"--help"}).out;
  std::set<std::string> options;
  // Each "--" and a small letter, then small letters and dashes.
  const auto small = [](char c) { return c >= 'a' && c <= 'z'; };
  for (std::size_t i = 0; i + 2 < help.size(); ++i) {
    if (help[i] != '-' || help[i + 1] != '-' || !small(help[i + 2])) continue;
    std::size_t end = i + 3;
    while (end < help.size() && (small(help[end]) || help[end] == '-')) ++end;
    options.insert(help.substr(i, end - i));
    i = end - 1;
  }
  return options;
}

}  // namespace tarvo::testing
