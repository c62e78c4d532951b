// The three 8-bit character sets of the program and the six fixed tables
// between them.
//
// Macintosh names and text are Mac Roman; the windows show Windows "ANSI"
// (code page 1252) text; names on the PC file system are DOS (code page 437)
// text. Each table has 256 entries indexed by the unsigned source code; an
// entry 0 means the character has no counterpart, and ConvertString ends the
// converted text there (AnsiToMac turns "a:b" into "a").
//
//   MacToShortName  Mac Roman -> upper-case DOS characters for 8.3 names
//   MacToAnsi       Mac Roman -> ANSI, unmatched characters become '_'; every
//                   Mac name shown on screen, long PC names, log lines
//   AnsiToMac       ANSI -> Mac Roman; every typed name meant for the volume
//   AnsiToDos       ANSI -> DOS; names typed in the PC -> Mac copy dialog
//   DosToMac        DOS -> Mac Roman; the Mac name of a PC file copied over
//   DosToAnsi       DOS -> ANSI; PC names shown on screen, PC folder names
//
// UTF-8 exists only at the system's edge (base/utf8.h).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvo {

using CharTable = std::array<std::uint8_t, 256>;

extern const CharTable MacToShortName;
extern const CharTable MacToAnsi;
extern const CharTable AnsiToMac;
extern const CharTable AnsiToDos;
extern const CharTable DosToMac;
extern const CharTable DosToAnsi;

// table[c] for every character c of source, up to (not including) the first
// 0 of the source or of the result. An empty source gives an empty result.
std::string ConvertString(std::string_view source, const CharTable& table);

}  // namespace tarvo
