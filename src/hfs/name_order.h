// The catalog's name order and the wildcard rule.
//
// Names are Macintosh (Mac Roman) bytes. They compare character by
// character through a table of weights, the order Macintoshes keep
// catalog keys in. Letter case does not count for the letters and most
// accented ones ("abc" equals "ABC", A-diaeresis equals a-diaeresis), the
// no-break space equals the space, and accents count: a-acute sorts after
// "a" and before "b". The capitals Mac Roman took in late (0xE5..0xF4, such
// as A-acute, and Y-diaeresis) are no equals of their small letters and
// sort near the end, among the symbols.
// When one name is a prefix of the other the shorter comes first.
//
// In a pattern '*' stands for any run of characters (none included) and
// '?' for exactly one; the other characters match characters of equal
// weight. So "*" matches every name, "AB*" every name beginning with "ab",
// "*.bak" every name ending in ".bak". Trailing blanks of the pattern and
// of the name do not count.
#pragma once

#include <cstdint>
#include <string_view>

namespace tarvo {

std::uint16_t NameWeight(unsigned char c);

// Negative, 0 or positive as a sorts before, equal to or after b.
int CompareNames(std::string_view a, std::string_view b);
// The same over the first n characters of each (a shorter name that runs
// out first sorts first).
int ComparePrefix(std::string_view a, std::string_view b, std::size_t n);

// The pattern without its trailing blanks.
std::string_view TrimTrailingBlanks(std::string_view text);
// The pattern holds a '*' or a '?'.
bool HasWildcard(std::string_view pattern);
// The characters before the pattern's first '*' or '?' (the whole pattern
// without one).
std::string_view WildcardPrefix(std::string_view pattern);

// 0 when the name matches the pattern; otherwise the sign of the order of
// the pattern against the name. For a wildcard pattern the sign is that of
// its prefix against as many leading characters of the name, and +1 (a
// later name may match) when those are equal.
int MatchName(std::string_view pattern, std::string_view name);

}  // namespace tarvo
