// The input is a series of typed command lines, one a line; each is parsed
// with the mode word the lines before it left.
#include <string_view>

#include "command/parser.h"
#include "fuzz_targets.h"

namespace tarvo::fuzz {

int FuzzCommandParser(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::uint16_t modeFlags = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    ParseCommand(text.substr(0, end), modeFlags);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return 0;
}

}  // namespace tarvo::fuzz

TARVO_FUZZ_TARGET(FuzzCommandParser)
