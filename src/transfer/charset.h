// The three 8-bit character sets of the program and the five fixed tables
// between them.
//
// Macintosh names and text are Mac Roman; the windows show Windows "ANSI"
// (code page 1252) text; names on the PC file system are DOS (code page 437)
// text. Each table has 256 entries indexed by the unsigned source code; an
// entry 0 means the character has no counterpart. Between Mac Roman and
// ANSI every character that both sets have maps to itself, so a name shown
// can be typed back; Mac DB, the currency sign of the era and the euro sign
// of later systems, takes both.
//
//   MacToShortName  Mac Roman -> upper-case DOS characters for 8.3 names
//   MacToAnsi       Mac Roman -> ANSI, unmatched characters become '_'; every
//                   Mac name shown on screen, long PC names, log lines
//   AnsiToMac       ANSI -> Mac Roman; every typed name meant for the volume,
//                   and the Mac name of a PC file or folder
//   AnsiToDos       ANSI -> DOS; names typed in the PC -> Mac copy dialog
//   DosToAnsi       DOS -> ANSI; PC names shown on screen
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
extern const CharTable DosToAnsi;

// table[c] for every character c of source, '_' where the entry is 0: a
// name keeps its length and is never cut at a character without counterpart.
std::string ConvertString(std::string_view source, const CharTable& table);

// A Mac Roman name as the catalog may hold it: ':' (the path separator) and
// the control characters 00..1F become '_', as they do in AnsiToMac.
std::string CleanMacName(std::string_view macName);

}  // namespace tarvo
