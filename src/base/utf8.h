// UTF-8 at the system's edge: the bridge between the 8-bit character sets
// the program works in and the host's UTF-8 (file names, terminal, GUI).
//
// Windows-1252 and code page 437 convert both ways and round-trip: every
// 8-bit text comes back unchanged. The five codes that 1252 leaves undefined
// (81, 8D, 8F, 90, 9D) stand for the C1 controls of the same number, and
// codes 00..7F of code page 437 are plain ASCII (not the graphic glyphs).
// Going to 8 bits, a character with no counterpart in the set becomes '_',
// and so does every byte that is not part of well-formed UTF-8.
//
// Mac Roman converts one way, for display: Apple's mapping, with DB read as
// the currency sign (what it meant on volumes of this era) and F0, the
// Apple logo, as the private-use character U+F8FF.
#pragma once

#include <string>
#include <string_view>

namespace tarvo {

std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8);
std::string DosToUtf8(std::string_view dos);
std::string Utf8ToDos(std::string_view utf8);
std::string MacRomanToUtf8(std::string_view mac);

}  // namespace tarvo
