// The listings tarvo-cli prints for DIR in the listing with signature
// (DIR /A), read back into their fields: each listing is the two header
// lines, then one line per row or "[No file]".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvo::testing {

struct ListedRow {
  std::string name;       // UTF-8, trailing blanks removed
  bool folder = false;    // the data column shows <DIR>
  std::string data;       // the length texts without their blanks ("10240k")
  std::string resource;
  std::string created;    // "MM/DD/YY HH:MM"
  std::string signature;  // type and creator (UTF-8), or the valence "[n]"
};

struct Listing {
  std::string volume;  // from " Vol: "
  std::string dir;     // from "Dir: ", trailing blanks removed ("Root" for the root)
  std::vector<ListedRow> rows;
  bool noFile = false;  // "[No file]": an empty folder
};

// Every listing in the output, in order; other lines are skipped.
std::vector<Listing> ParseListings(const std::string& out);

// A length as the listing shows it: the number, or the number of
// kilobytes and 'k' above 9,999,999.
std::string ShownLength(std::uint32_t length);

}  // namespace tarvo::testing
