// The parser of the typed command language.
//
// A line is a command word (letters and question marks, abbreviations
// allowed, see keywords.h) followed by arguments and options:
//   - a blank or tab is skipped;
//   - "." is skipped and turns CD into CD ..; a backslash is skipped and
//     turns CD into CD \ (so "cd.." and "cd\" work without a blank);
//   - "-" or "/" followed by a letter is an option; both characters are
//     consumed and whatever follows is scanned next ("-ab" is option A, then
//     the argument "b"). A: listing with signature (extended and signature
//     bits on); E: extended listing; S: short listing; B, D, H, R, T, N, O:
//     MacBinary, data-fork, BinHex, resource-fork, text, AppleSingle or
//     AppleDouble copy mode (each clears the others);
//     F: files only; Q and other letters: no effect;
//   - a double quote starts an argument that runs to the next double quote
//     (consumed) or to the end of the line;
//   - anything else starts an argument that runs to the next blank or tab.
// The first argument goes to `first`, the second to `second`; later ones
// are read and dropped.
//
// Only the first kCommandLineLimit characters of a line are read, as the
// command field holds no more. A line whose word matches no keyword is not
// scanned at all: it changes no mode and does nothing.
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
