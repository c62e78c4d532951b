// UTF-8 at the system's edge: the bridge between the 8-bit character sets
// the program works in and the host's UTF-8 (file names, terminal, GUI).
//
// The window text (Windows-1252 and the characters of Mac Roman it lacks,
// base/ansi_extension.h) and code page 437 convert both ways and
// round-trip: every 8-bit text comes back unchanged. The five codes that
// 1252 leaves undefined (81, 8D, 8F, 90, 9D) stand for the C1 controls of
// the same number, and codes 00..7F of code page 437 are plain ASCII (not
// the graphic glyphs). Going to 8 bits, a character with no counterpart in
// the set becomes '_', and so does every byte that is not part of
// well-formed UTF-8 and every control character whose code the window text
// gives to another character.
//
// Mac Roman converts both ways and round-trips too: Apple's mapping, with
// DB as the euro sign (U+20AC; the currency sign U+00A4, what it meant on
// volumes of this era, is taken for it on the way in) and F0, the Apple
// logo, as the private-use character U+F8FF. What comes out is in NFC.
//
// Going to 8 bits, a letter followed by a combining mark (NFD, as macOS
// writes names) is read as the precomposed letter, for every precomposed
// letter of Mac Roman; so either form gives the same text.
#pragma once

#include <string>
#include <string_view>

namespace tarvo {

std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8);
std::string DosToUtf8(std::string_view dos);
std::string Utf8ToDos(std::string_view utf8);
std::string MacRomanToUtf8(std::string_view mac);
std::string Utf8ToMacRoman(std::string_view utf8);
// Whether the text is well-formed UTF-8 throughout.
bool IsUtf8(std::string_view text);

}  // namespace tarvo
