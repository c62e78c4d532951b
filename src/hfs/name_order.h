// The catalog's name order and the wildcard rule.
//
// Names are Macintosh (Mac Roman) bytes. They compare character by
// character through a table of 16-bit weights: letter case and most
// accents do not count, so "abc" equals "ABC" and A-diaeresis sorts
// between 'A' and 'B'. When one name is a prefix of the other the shorter
// comes first.
//
// A pattern may hold one '*'. "*..." matches every name; "prefix*..."
// matches every name whose first characters collate equal to the prefix
// (a shorter name does not match); characters after the '*' are ignored.
// Trailing blanks of the pattern and of the name do not count.
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
bool HasWildcard(std::string_view pattern);
// The characters before the pattern's '*' (the whole pattern without one).
std::string_view WildcardPrefix(std::string_view pattern);

// 0 when the name matches the pattern; otherwise the sign of the order of
// the pattern (for a wildcard, its prefix) against the name.
int MatchName(std::string_view pattern, std::string_view name);

}  // namespace tarvo
