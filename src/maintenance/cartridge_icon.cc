#include "maintenance/cartridge_icon.h"

#include <array>
#include <string_view>

namespace tarvo {

namespace {

// One character per pixel: '.' outside the icon (mask clear), K black,
// D dark grey, G grey, L light grey, W white, B blue, R red.
constexpr std::array<std::string_view, 32> kLarge = {
    "................................",
    "................................",
    "................................",
    "..KKKKKKKKKKKKKKKKKKKKKKKKKKKK..",
    ".KLLLLLLLLLLLLLLLLLLLLLLLLLLLDK.",
    ".KLGGGGGKKKKKKKKKKKKKKKKGGGGGDK.",
    ".KLGGGGGKWWWWWWWWWWWWWWKGRRRGDK.",
    ".KLGGGGGKLLLLLLLLLLLLLLKGRRRGDK.",
    ".KLGGGGGKLLLLLKKKKLLLLLKGRRRGDK.",
    ".KLGGGGGKLLLLKDDDDKLLLLKGGGGGDK.",
    ".KLGGGGGKLLLLKDDDDKLLLLKGGGGGDK.",
    ".KLGGGGGKLLLLKDDDDKLLLLKGGGGGDK.",
    ".KLGGGGGKLLLLKDDDDKLLLLKGGGGGDK.",
    ".KLGGGGGKLLLLLKKKKLLLLLKGGGGGDK.",
    ".KLGGGGGKLLLLLLLLLLLLLLKGGGGGDK.",
    ".KLGGGGGKKKKKKKKKKKKKKKKGGGGGDK.",
    ".KLGGGGGGGGGGGGGGGGGGGGGGGGGGDK.",
    ".KLGGGGGGGGGGGGGGGGGGGGGGGGGGDK.",
    ".KLGGKKKKKKKKKKKKKKKKKKKKKKGGDK.",
    ".KLGGKBBBBBBBBBBBBBBBBBBBBKGGDK.",
    ".KLGGKBBBBBBBBBBBBBBBBBBBBKGGDK.",
    ".KLGGKWWWWWWWWWWWWWWWWWWWWKGGDK.",
    ".KLGGKWWLLLLLLLLLLLLLLWWWWKGGDK.",
    ".KLGGKWWWWWWWWWWWWWWWWWWWWKGGDK.",
    ".KLGGKWWLLLLLLLLLLWWWWWWWWKGGDK.",
    ".KLGGKWWWWWWWWWWWWWWWWWWWWKGGDK.",
    ".KLGGKKKKKKKKKKKKKKKKKKKKKKGGDK.",
    ".KDDDDDDDDDDDDDDDDDDDDDDDDDDDDK.",
    "..KKKKKKKKKKKKKKKKKKKKKKKKKKKK..",
    "................................",
    "................................",
    "................................",
};

constexpr std::array<std::string_view, 16> kSmall = {
    "................",
    ".KKKKKKKKKKKKKK.",
    "KLLLLLLLLLLLLLDK",
    "KLGGKKKKKKKKGGDK",
    "KLGGKLLDDLLKGGDK",
    "KLGGKLLDDLLKGGDK",
    "KLGGKLLDDLLKGGDK",
    "KLGGKKKKKKKKGGDK",
    "KLGGGGGGGGGGGGDK",
    "KLKKKKKKKKKKKKDK",
    "KLKBBBBBBBBBBKDK",
    "KLKWWWWWWWWWWKDK",
    "KLKWLLLLLLLWWKDK",
    "KDKKKKKKKKKKKKDK",
    ".KKKKKKKKKKKKKK.",
    "................",
};

struct Ink {
  char code;
  std::uint8_t clut8;  // the Macintosh 256-colour system palette
  std::uint8_t clut4;  // the Macintosh 16-colour system palette
};

// Outside the icon counts as white.
constexpr std::array<Ink, 8> kInks = {{
    {'.', 0, 0},     // white
    {'W', 0, 0},     // white
    {'L', 43, 12},   // #CCCCCC / light grey
    {'G', 129, 13},  // #666666 / grey
    {'D', 172, 14},  // #333333 / dark grey
    {'K', 255, 15},  // black
    {'B', 211, 6},   // #0000CC / blue
    {'R', 35, 3},    // #FF0000 / red
}};

Ink InkOf(char code);
// The one-bit picture: black and dark pixels, the colours, half of the
// greys in a checkerboard and a quarter of the light greys.
bool BlackAt(char code, std::size_t x, std::size_t y);

template <std::size_t N>
std::vector<std::uint8_t> OneBitWithMask(const std::array<std::string_view, N>& art) {
  const std::size_t rowBytes = N / 8;
  std::vector<std::uint8_t> out(2 * N * rowBytes, 0);
  for (std::size_t y = 0; y < N; ++y) {
    for (std::size_t x = 0; x < N; ++x) {
      const std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> (x % 8));
      if (BlackAt(art[y][x], x, y)) out[y * rowBytes + x / 8] |= bit;
      if (art[y][x] != '.') out[(N + y) * rowBytes + x / 8] |= bit;
    }
  }
  return out;
}

template <std::size_t N>
std::vector<std::uint8_t> EightBit(const std::array<std::string_view, N>& art) {
  std::vector<std::uint8_t> out;
  for (std::string_view row : art)
    for (char code : row) out.push_back(InkOf(code).clut8);
  return out;
}

template <std::size_t N>
std::vector<std::uint8_t> FourBit(const std::array<std::string_view, N>& art) {
  std::vector<std::uint8_t> out;
  for (std::string_view row : art)
    for (std::size_t x = 0; x < N; x += 2)
      out.push_back(static_cast<std::uint8_t>(InkOf(row[x]).clut4 << 4 | InkOf(row[x + 1]).clut4));
  return out;
}

}  // namespace

std::vector<Resource> CartridgeIconFamily() {
  return {
      {"ICN#", kCustomIconId, OneBitWithMask(kLarge)}, {"icl8", kCustomIconId, EightBit(kLarge)},
      {"icl4", kCustomIconId, FourBit(kLarge)},        {"ics#", kCustomIconId, OneBitWithMask(kSmall)},
      {"ics8", kCustomIconId, EightBit(kSmall)},       {"ics4", kCustomIconId, FourBit(kSmall)},
  };
}

namespace {

Ink InkOf(char code) {
  for (const Ink& ink : kInks)
    if (ink.code == code) return ink;
  return kInks[0];
}

bool BlackAt(char code, std::size_t x, std::size_t y) {
  switch (code) {
    case 'K':
    case 'D':
    case 'B':
    case 'R':
      return true;
    case 'G':
      return (x + y) % 2 == 0;
    case 'L':
      return x % 2 == 0 && y % 2 == 0;
    default:
      return false;
  }
}

}  // namespace

}  // namespace tarvo
