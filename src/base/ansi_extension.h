// The program's window text is Windows-1252 ("ANSI") with 25 more
// characters: those of Mac Roman that 1252 lacks (≠ ∞ ≤ ≥ ∂ ∑ ∏ π ∫ Ω √ ≈ ∆
// ◊ ⁄ fi fl, the Apple logo, ı and the accents ˘ ˙ ˚ ˝ ˛ ˇ). They take
// control codes that window text never holds otherwise (01 to 1C but tab,
// line feed and carriage return), so that every Mac name can be shown, typed back and turned into the same
// Mac Roman name, while the 8-bit tables keep working on one byte per
// character. A control character typed at the edge becomes '_' (utf8.h).
#pragma once

#include <array>
#include <cstdint>

namespace tarvo {

struct AnsiExtension {
  std::uint8_t ansi;  // the window text's code
  std::uint8_t mac;   // the Mac Roman code of the character
};

inline constexpr std::array<AnsiExtension, 25> kAnsiExtension = {{
    {0x01, 0xAD}, {0x02, 0xB0}, {0x03, 0xB2}, {0x04, 0xB3}, {0x05, 0xB6}, {0x06, 0xB7}, {0x07, 0xB8},
    {0x08, 0xB9}, {0x0B, 0xBA}, {0x0C, 0xBD}, {0x0E, 0xC3}, {0x0F, 0xC5}, {0x10, 0xC6}, {0x11, 0xD7},
    {0x12, 0xDA}, {0x13, 0xDE}, {0x14, 0xDF}, {0x15, 0xF0}, {0x16, 0xF5}, {0x17, 0xF9}, {0x18, 0xFA},
    {0x19, 0xFB}, {0x1A, 0xFD}, {0x1B, 0xFE}, {0x1C, 0xFF},
}};

}  // namespace tarvo
