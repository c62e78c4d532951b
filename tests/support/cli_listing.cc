#include "support/cli_listing.h"

#include <sstream>

#include "base/utf8.h"

namespace tarvo::testing {

namespace {

// Column layout of a row, in characters (one byte each in the Windows set).
constexpr std::size_t kNameWidth = 32;
constexpr std::size_t kLengthWidth = 8;
constexpr std::size_t kDateWidth = 14;
constexpr std::size_t kRowWidth = kNameWidth + 1 + kLengthWidth + 1 + kLengthWidth + 1 + kDateWidth + 1 + 8;

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string TrimmedRight(const std::string& text) {
  const std::size_t last = text.find_last_not_of(' ');
  return last == std::string::npos ? "" : text.substr(0, last + 1);
}

ListedRow ReadRow(const std::string& ansi) {
  ListedRow row;
  std::size_t at = 0;
  const auto field = [&](std::size_t width) {
    std::string text = ansi.substr(at, width);
    at += width + 1;
    return text;
  };
  row.name = AnsiToUtf8(TrimmedRight(field(kNameWidth)));
  row.data = Trimmed(field(kLengthWidth));
  row.resource = Trimmed(field(kLengthWidth));
  row.created = field(kDateWidth);
  row.signature = AnsiToUtf8(field(8));
  row.folder = row.data == "<DIR>";
  if (row.folder) row.signature = Trimmed(row.signature);
  return row;
}

}  // namespace

std::vector<Listing> ParseListings(const std::string& out) {
  std::vector<Listing> listings;
  std::istringstream lines(out);
  bool inListing = false;
  for (std::string line; std::getline(lines, line);) {
    const std::string ansi = Utf8ToAnsi(line);
    if (ansi.rfind("KB free : ", 0) == 0) {
      listings.emplace_back();
      std::string names;
      std::getline(lines, names);
      const std::size_t dir = names.find("Dir: ");
      if (names.rfind(" Vol: ", 0) == 0 && dir != std::string::npos) {
        listings.back().volume = TrimmedRight(names.substr(6, dir - 6));
        listings.back().dir = TrimmedRight(names.substr(dir + 5));
      }
      inListing = true;
    } else if (inListing && ansi == "[No file]") {
      listings.back().noFile = true;
    } else if (inListing && ansi.size() == kRowWidth) {
      listings.back().rows.push_back(ReadRow(ansi));
    } else {
      inListing = false;
    }
  }
  return listings;
}

std::string ShownLength(std::uint32_t length) {
  return length > 9999999 ? std::to_string(length / 1024) + "k" : std::to_string(length);
}

}  // namespace tarvo::testing
