// The three 8-bit character sets of the program and the five fixed tables
// between them.
//
// Macintosh names and text are Mac Roman; the windows show "ANSI" text,
// Windows-1252 with the characters of Mac Roman it lacks in control codes
// (base/ansi_extension.h); names on the PC file system are DOS (code page
// 437) text. Each table has 256 entries indexed by the unsigned source
// code; an entry 0 means the character has no counterpart. Between Mac
// Roman and ANSI every other character of Mac Roman maps to itself, so a
// name shown can be typed back; Mac DB, the currency sign of the era and the
// euro sign of later systems, is shown as the euro and typed as either.
//
//   MacToShortName  Mac Roman -> upper-case DOS characters for 8.3 names
//   MacToAnsi       Mac Roman -> ANSI, Mac's control characters and '\'
//                   become '_'; every Mac name shown on screen, log lines
//   AnsiToMac       ANSI -> Mac Roman; every typed name meant for the volume
//   AnsiToDos       ANSI -> DOS; names typed in the PC -> Mac copy dialog
//   DosToAnsi       DOS -> ANSI; PC names shown on screen
//
// Long PC names do not pass through ANSI: they are made from the Mac Roman
// name and read back into it directly (base/utf8.h), which holds more than
// the window text can (the Mac's control characters). UTF-8 exists only at
// the system's edge.
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

// A Mac Roman name in capitals only, as DOS names were, with every letter
// after the first in lower case (README.TXT becomes Readme.txt, CAFÉ Café);
// a name holding any lower-case letter comes back as it is (ReadMe.TXT).
std::string CapitalsToLowerCase(std::string_view macName);

// A Mac Roman name as the catalog may hold it: ':' (the path separator) and
// the control characters 00..1F become '_'.
std::string CleanMacName(std::string_view macName);

}  // namespace tarvo
