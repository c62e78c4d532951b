// What the catalog's searches remember about a tree between calls. The
// work file's cache keeps it with the nodes and drops it with them, so it
// never outlives the file it describes.
//
// The descent memo keeps where the last few descents from the root ended.
// A descent reads only the index nodes on its way, so while none of them
// has been written (and the root is the same) the same descent ends at the
// same leaf: it is taken from memory, and only the leaf is read again. A
// copy asks for each name up to three times, and for its folder's thread
// and record once per file, mostly along an unchanged path.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tarvo {

struct DescentMemo {
  static constexpr std::size_t kMostDepth = 8;  // index levels remembered
  struct Entry {
    bool valid = false;
    bool exact = false;  // an exact descent, or one by pattern
    std::uint32_t parentId = 0;
    std::string pattern;     // the name, or the pattern
    std::uint32_t root = 0;  // bthRoot then
    std::uint8_t depth = 0;
    std::array<std::uint32_t, kMostDepth> path{};    // the index nodes passed
    std::array<std::uint32_t, kMostDepth> writes{};  // and their write counts then
    std::uint32_t leaf = 0;
    std::uint64_t used = 0;  // when it was last made or taken
  };
  std::array<Entry, 4> entries;
  std::uint64_t uses = 0;  // a new descent takes the entry used least recently
};

}  // namespace tarvo
