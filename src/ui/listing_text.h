// The main window's header and listing as lines of text (Windows character
// set), for a console: the two header lines, then one line per row in the
// current listing mode — the name left-aligned in 32 characters, then the
// row's texts in the window's column order, each after one blank — or
// "[No file]" for an empty folder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvo {

struct Context;

// "KB free : ........k" and "KB used : ........k" as the header shows them;
// nothing without an open volume.
struct SpaceFigures {
  std::uint64_t freeKb = 0;
  std::uint64_t usedKb = 0;
};
SpaceFigures HeaderSpace(const Context& ctx);

// The header's four texts as a window draws them: line 1 "KB free : " and
// "KB used : " with their figures, line 2 " Vol: " + the volume name and
// " Dir: " + the current folder's name. nullopt without an open volume.
struct HeaderTexts {
  std::string freeSpace, usedSpace, volume, folder;
};
std::optional<HeaderTexts> HeaderLines(const Context& ctx);

std::vector<std::string> ListingLines(const Context& ctx);

// A Macintosh name or signature as the screen shows it (Windows character
// set); control characters become '.'.
std::string MacTextForDisplay(const std::string& mac);

}  // namespace tarvo
