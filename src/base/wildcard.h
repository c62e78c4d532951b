// Wildcard matching of names: '*' stands for any run of characters, '?' for
// exactly one; any other character of the pattern matches a character of
// the name that `same` takes as equal (the catalog's weights, or letter
// case not counting). The last '*' seen takes what does not fit, so a
// match needs no recursion and no more than pattern × name steps.
#pragma once

#include <cstddef>
#include <string_view>

namespace tarvo {

template <typename Same>
bool WildcardMatch(std::string_view pattern, std::string_view name, Same same) {
  constexpr std::size_t kNone = std::string_view::npos;
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t star = kNone;
  std::size_t resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], name[n]))) {
      ++p;
      ++n;
    } else if (star != kNone) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace tarvo
