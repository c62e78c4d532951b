#include "hfs/name_order.h"

#include <algorithm>
#include <array>

namespace tarvo {

namespace {

// Weights of the codes 0x80..0xFF.
constexpr std::uint16_t kHighWeights[128] = {
    0x0412, 0x0414, 0x0431, 0x0451, 0x04E1, 0x04F1, 0x0551, 0x0417,  // 80
    0x0411, 0x0418, 0x0412, 0x0413, 0x0414, 0x0431, 0x0451, 0x0452,  // 88
    0x0453, 0x0454, 0x0491, 0x0492, 0x0493, 0x0494, 0x04E1, 0x04F5,  // 90
    0x04F6, 0x04F7, 0x04F1, 0x04F2, 0x0552, 0x0553, 0x0554, 0x0551,  // 98
    0x0A00, 0x0A10, 0x0A20, 0x0A30, 0x0A40, 0x0A50, 0x0A60, 0x0A70,  // A0
    0x0A80, 0x0A90, 0x0AA0, 0x0AB0, 0x0AC0, 0x0AD0, 0x0415, 0x04F3,  // A8
    0x0B00, 0x0B10, 0x0B20, 0x0B30, 0x0B40, 0x0B50, 0x0B60, 0x0B70,  // B0
    0x0B80, 0x0B90, 0x0BA0, 0x0419, 0x04F8, 0x0BD0, 0x0415, 0x04F3,  // B8
    0x0C00, 0x0C10, 0x0C20, 0x0C30, 0x0C40, 0x0C50, 0x0C60, 0x0223,  // C0
    0x0224, 0x0C90, 0x0CA0, 0x0411, 0x0413, 0x04F2, 0x04F4, 0x04F4,  // C8
    0x0D00, 0x0D10, 0x0221, 0x0222, 0x0271, 0x0272, 0x0D60, 0x0D70,  // D0
    0x0591, 0x0D90, 0x0DA0, 0x0DB0, 0x0DC0, 0x0DD0, 0x0DE0, 0x0DF0,  // D8
    0x0E00, 0x0E10, 0x0E20, 0x0E30, 0x0E40, 0x0418, 0x0453, 0x0417,  // E0
    0x0454, 0x0452, 0x0491, 0x0493, 0x0494, 0x0492, 0x04F5, 0x04F7,  // E8
    0x0F00, 0x04F6, 0x0552, 0x0554, 0x0553, 0x0F50, 0x0F60, 0x0F70,  // F0
    0x0F80, 0x0F90, 0x0FA0, 0x0FB0, 0x0FC0, 0x0FD0, 0x0FE0, 0x0FF0,  // F8
};

constexpr std::array<std::uint16_t, 256> MakeWeights() {
  std::array<std::uint16_t, 256> w{};
  for (int c = 0; c < 0x80; ++c) w[c] = static_cast<std::uint16_t>(c * 16);
  for (int c = 'a'; c <= 'z'; ++c) w[c] = static_cast<std::uint16_t>((c - 'a' + 'A') * 16);
  w['['] = w['('];
  w[']'] = w[')'];
  w['\\'] = 0;
  w['`'] = 0x0416;
  for (int c = 0x80; c < 0x100; ++c) w[c] = kHighWeights[c - 0x80];
  return w;
}

constexpr std::array<std::uint16_t, 256> kWeights = MakeWeights();

}  // namespace

std::uint16_t NameWeight(unsigned char c) { return kWeights[c]; }

int CompareNames(std::string_view a, std::string_view b) {
  return ComparePrefix(a, b, std::max(a.size(), b.size()));
}

int ComparePrefix(std::string_view a, std::string_view b, std::size_t n) {
  a = a.substr(0, n);
  b = b.substr(0, n);
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const int diff = NameWeight(static_cast<unsigned char>(a[i])) - NameWeight(static_cast<unsigned char>(b[i]));
    if (diff != 0) return diff;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::string_view TrimTrailingBlanks(std::string_view text) {
  const std::size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view{} : text.substr(0, end + 1);
}

bool HasWildcard(std::string_view pattern) { return pattern.find('*') != std::string_view::npos; }

std::string_view WildcardPrefix(std::string_view pattern) { return pattern.substr(0, pattern.find('*')); }

int MatchName(std::string_view pattern, std::string_view name) {
  pattern = TrimTrailingBlanks(pattern);
  name = TrimTrailingBlanks(name);
  const std::string_view prefix = WildcardPrefix(pattern);
  const int order = HasWildcard(pattern) ? ComparePrefix(prefix, name, prefix.size()) : CompareNames(pattern, name);
  return (order > 0) - (order < 0);
}

}  // namespace tarvo
