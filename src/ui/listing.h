// The main window's listing: the rows of the current folder, their texts in
// the three listing modes, paging, selection and hit testing. Plain state;
// a front end draws it.
//
// Rows are held in a vector that grows with the folder (the capacity rule
// of 36 rows is kept so that paging behaves as always). A row keeps the
// record's facts; its texts are made when a row is shown, at their fixed
// widths: lengths 8 characters, right-aligned ("<DIR>" for folders),
// signatures 8 characters, dates 14 characters "MM/DD/YY HH:MM". A folder
// of thousands of files is listed without formatting rows nobody sees.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvo {

struct Context;

inline constexpr std::uint16_t kNoRow = 0xFFFF;
inline constexpr std::uint16_t kStartCapacity = 36;
inline constexpr std::uint8_t kKindFolder = 1;
inline constexpr std::uint8_t kKindFile = 2;

enum class ListingMode { kShort, kExtended, kWithSignature };

struct ListingEntry {
  bool selected = false;
  std::uint8_t kind = 0;       // kKindFolder or kKindFile
  std::string name;            // Macintosh character set, at most 31 characters
  std::uint32_t dataLength = 0;      // files: the forks' logical lengths
  std::uint32_t resourceLength = 0;
  std::uint32_t valence = 0;         // folders
  std::uint32_t created = 0;         // Macintosh dates
  std::uint32_t modified = 0;
  std::array<char, 8> signature{};   // files: type and creator
};

struct ListingView {
  std::vector<ListingEntry> rows;  // the first `count` are valid
  std::uint16_t count = 0;
  std::uint16_t capacity = kStartCapacity;
  std::uint16_t first = 0;
  std::uint16_t next = 0;
  // Paging items "Preceding Screen" and "First Screen": enabled after a
  // page forward, grayed again on the first page.
  bool backPagingEnabled = false;
};

// The texts of one row.
std::string LengthText(std::uint32_t length);           // 8 characters, k / M above 9,999,999
std::string DateText(std::uint32_t macDate);            // 14 characters
std::string ValenceText(std::uint32_t valence);         // "[3]" right-aligned in 8
std::string DataText(const ListingEntry& row);          // the data length, or "  <DIR> "
std::string ResourceText(const ListingEntry& row);      // the resource length, or blanks
std::string SignatureText(const ListingEntry& row);     // type and creator (Macintosh set), or the valence

ListingMode CurrentListingMode(std::uint16_t modeFlags);
std::uint16_t PageSize(ListingMode mode);

// Refills the rows from the current folder; only names matching the
// pattern (Windows character set) when one is given. When the catalog
// turns out damaged on the way, the rows read before the damage stay and
// the user is told that some may be missing.
void LoadListing(Context& ctx, const std::string& pattern = "");
// Sizes the rows for a folder of `valence` entries (grown on demand, shrunk
// back to 36 when a small folder follows a large one).
void ResizeListing(ListingView& view, std::uint32_t valence);

// What the screen shows from `first`: the number of rows and whether
// "Next Screen" applies; updates `next`.
std::uint16_t ShownRows(ListingView& view, ListingMode mode);
// The row under a point (relative to `first`), or kNoRow. `half` is half
// the client width, `lineHeight` the listing font's line height.
std::uint16_t HitTest(const ListingView& view, ListingMode mode, bool driveSelected, int x, int y, int half,
                      int lineHeight);

void SelectEntry(ListingView& view, std::uint16_t i);
void DeselectEntry(ListingView& view, std::uint16_t i);
bool IsSelected(const ListingView& view, std::uint16_t i);
bool IsFolder(const ListingView& view, std::uint16_t i);
void SelectAll(ListingView& view);
void DeselectAll(ListingView& view);
void InvertSelection(ListingView& view);
std::uint16_t CountSelected(const ListingView& view);
std::uint16_t TakeFirstSelected(ListingView& view);
std::uint16_t FindSelectedFolder(const ListingView& view, std::uint16_t start);
// Selects the rows whose names match the pattern (catalog wildcard rule);
// returns how many were selected.
std::uint16_t SelectMatching(ListingView& view, const std::string& macPattern);

void NextScreen(ListingView& view);
void FirstScreen(ListingView& view);
void PrecedingScreen(ListingView& view, ListingMode mode);
// Returns false when the mode was already in force (nothing changes).
bool SetListingMode(ListingView& view, std::uint16_t& modeFlags, ListingMode mode);

}  // namespace tarvo
