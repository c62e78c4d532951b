#include "base/utf8.h"

#include <array>
#include <cstdint>
#include <optional>

#include "base/ansi_extension.h"

namespace tarvo {

namespace {

// Codes 00..7F are ASCII in the tables below, which give the upper half;
// a whole set adds the lower half (the window text's differs).
using UpperHalf = std::array<char16_t, 128>;
using CharSet = std::array<char16_t, 256>;

extern const UpperHalf kWindows1252;
extern const UpperHalf kCodePage437;
extern const UpperHalf kMacRoman;

const CharSet& WindowText();
const CharSet& CodePage437();
const CharSet& MacRoman();
std::string ToUtf8(std::string_view text, const CharSet& set);
std::string FromUtf8(std::string_view utf8, const CharSet& set);
std::optional<char32_t> DecodeUtf8(std::string_view s, std::size_t& pos);

}  // namespace

std::string AnsiToUtf8(std::string_view ansi) { return ToUtf8(ansi, WindowText()); }
std::string Utf8ToAnsi(std::string_view utf8) { return FromUtf8(utf8, WindowText()); }
std::string DosToUtf8(std::string_view dos) { return ToUtf8(dos, CodePage437()); }
std::string Utf8ToDos(std::string_view utf8) { return FromUtf8(utf8, CodePage437()); }
std::string MacRomanToUtf8(std::string_view mac) { return ToUtf8(mac, MacRoman()); }
std::string Utf8ToMacRoman(std::string_view utf8) { return FromUtf8(utf8, MacRoman()); }

bool IsUtf8(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    if (!DecodeUtf8(text, pos)) return false;
  }
  return true;
}

namespace {

constexpr char kNoCounterpart = '_';

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | cp >> 6));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    // Every character of the three sets lies in the basic plane.
    out.push_back(static_cast<char>(0xE0 | cp >> 12));
    out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// The code point that starts at `pos`, advancing `pos` past it; nullopt for
// a malformed sequence (overlong, surrogate, beyond U+10FFFF, truncated),
// which then advances by one byte.
std::optional<char32_t> DecodeUtf8(std::string_view s, std::size_t& pos) {
  auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
  std::uint8_t lead = byte(pos);
  int length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
  if (length == 0 || pos + length > s.size()) {
    ++pos;
    return std::nullopt;
  }
  char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
  for (int i = 1; i < length; ++i) {
    std::uint8_t b = byte(pos + i);
    if ((b & 0xC0) != 0x80) {
      ++pos;
      return std::nullopt;
    }
    cp = cp << 6 | (b & 0x3F);
  }
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++pos;
    return std::nullopt;
  }
  pos += length;
  return cp;
}

CharSet WithAscii(const UpperHalf& upper) {
  CharSet set{};
  for (std::size_t c = 0; c < 0x80; ++c) set[c] = static_cast<char16_t>(c);
  for (std::size_t c = 0; c < 0x80; ++c) set[0x80 + c] = upper[c];
  return set;
}

const CharSet& WindowText() {
  static const CharSet set = [] {
    CharSet s = WithAscii(kWindows1252);
    for (const AnsiExtension& e : kAnsiExtension) s[e.ansi] = kMacRoman[e.mac - 0x80];
    return s;
  }();
  return set;
}

const CharSet& CodePage437() {
  static const CharSet set = WithAscii(kCodePage437);
  return set;
}

const CharSet& MacRoman() {
  static const CharSet set = WithAscii(kMacRoman);
  return set;
}

std::string ToUtf8(std::string_view text, const CharSet& set) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char c : text) AppendUtf8(out, set[static_cast<std::uint8_t>(c)]);
  return out;
}

// The letters Mac Roman holds precomposed, by combining mark: a base
// letter followed by the mark is the composed letter at the same index.
struct Composition {
  char32_t mark;
  std::u32string_view bases, composed;
};
constexpr Composition kCompositions[] = {
    {0x0300, U"AEIOUaeiou", U"\u00C0\u00C8\u00CC\u00D2\u00D9\u00E0\u00E8\u00EC\u00F2\u00F9"},
    {0x0301, U"AEIOUaeiou", U"\u00C1\u00C9\u00CD\u00D3\u00DA\u00E1\u00E9\u00ED\u00F3\u00FA"},
    {0x0302, U"AEIOUaeiou", U"\u00C2\u00CA\u00CE\u00D4\u00DB\u00E2\u00EA\u00EE\u00F4\u00FB"},
    {0x0303, U"ANOano", U"\u00C3\u00D1\u00D5\u00E3\u00F1\u00F5"},
    {0x0308, U"AEIOUYaeiouy", U"\u00C4\u00CB\u00CF\u00D6\u00DC\u0178\u00E4\u00EB\u00EF\u00F6\u00FC\u00FF"},
    {0x030A, U"Aa", U"\u00C5\u00E5"},
    {0x0327, U"Cc", U"\u00C7\u00E7"},
};

std::optional<char32_t> Compose(char32_t base, char32_t mark) {
  for (const Composition& c : kCompositions) {
    if (c.mark != mark) continue;
    const std::size_t i = c.bases.find(base);
    if (i != std::u32string_view::npos) return c.composed[i];
  }
  return std::nullopt;
}

// The currency sign stands for the euro sign in a set that has only the
// euro: Mac Roman DB was the one, then the other.
constexpr char32_t kCurrencySign = 0x00A4, kEuroSign = 0x20AC;

char FromCodePoint(std::optional<char32_t> cp, const CharSet& set) {
  if (!cp) return kNoCounterpart;
  if (*cp < 0x80 && set[*cp] == *cp) return static_cast<char>(*cp);
  for (char32_t wanted : {*cp, *cp == kCurrencySign ? kEuroSign : *cp}) {
    for (std::size_t i = 0; i < set.size(); ++i)
      if (set[i] == wanted) return static_cast<char>(i);
  }
  return kNoCounterpart;
}

std::string FromUtf8(std::string_view utf8, const CharSet& set) {
  std::string out;
  out.reserve(utf8.size());
  std::optional<char32_t> last;  // the code point `out` ends with
  for (std::size_t pos = 0; pos < utf8.size();) {
    const std::optional<char32_t> cp = DecodeUtf8(utf8, pos);
    const std::optional<char32_t> composed = cp && last ? Compose(*last, *cp) : std::nullopt;
    if (composed) {
      out.back() = FromCodePoint(composed, set);
      last = composed;
      continue;
    }
    out.push_back(FromCodePoint(cp, set));
    last = cp;
  }
  return out;
}

const UpperHalf kWindows1252 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 8x
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 9x
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,  // Ax
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,  // Bx
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7, 0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,  // Cx
    0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7, 0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,  // Dx
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7, 0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF,  // Ex
    0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7, 0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,  // Fx
};

const UpperHalf kCodePage437 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,  // 8x
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,  // 9x
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  // Ax
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  // Bx
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  // Cx
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  // Dx
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,  // Ex
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,  // Fx
};

const UpperHalf kMacRoman = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,  // 8x
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3, 0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,  // 9x
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,  // Ax
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,  // Bx
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB, 0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,  // Cx
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,  // Dx
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1, 0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,  // Ex
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC, 0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,  // Fx
};

}  // namespace

}  // namespace tarvo
