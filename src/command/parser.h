// The parser of the typed command language: a command word (abbreviations
// allowed, keywords.h), then arguments and options, as the user help tells.
// Only the first two arguments are kept. Only the first kCommandLineLimit
// characters are read, as the command field holds no more. A line whose
// word matches no keyword is not scanned: it changes no mode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ui/command_dialog.h"

namespace tarvo {

struct ParsedCommand {
  std::uint16_t code = 0;  // CommandCode; 0: nothing to run
  std::string first;
  std::string second;
};

// Parses one line; options change `modeFlags` (the copy and listing mode
// word of ProgramSettings) at once.
ParsedCommand ParseCommand(std::string_view line, std::uint16_t& modeFlags);

}  // namespace tarvo
