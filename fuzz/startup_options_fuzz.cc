// The input is a command line, its arguments separated by NUL bytes: it is
// parsed as the front ends parse theirs, and every image option in it is
// read as the drive bus reads it. A menu action must be a number, as the
// console front end converts it with std::stoi.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_targets.h"
#include "ui/image_option.h"
#include "ui/startup_options.h"

namespace tarvo::fuzz {

int FuzzStartupOptions(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) args.emplace_back();
    else args.back() += static_cast<char>(data[i]);
  }
  std::string error;
  const std::optional<StartupOptions> options = ParseStartupOptions(args, error);
  if (!options) return 0;
  for (const std::string& image : options->images) ParseImageOption(image, error);
  for (const StartupAction& action : options->actions) {
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (action.kind == StartupAction::kMenu && !std::all_of(action.text.begin(), action.text.end(), isDigit))
      std::abort();
  }
  return 0;
}

}  // namespace tarvo::fuzz

TARVO_FUZZ_TARGET(FuzzStartupOptions)
