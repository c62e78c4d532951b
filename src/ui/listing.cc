#include "ui/listing.h"

#include <algorithm>
#include <iterator>

#include "base/charset.h"
#include "base/services.h"
#include "hfs/catalog_record.h"
#include "hfs/catalog_search.h"
#include "hfs/mac_date.h"
#include "hfs/name_order.h"
#include "ui/context.h"

namespace tarvo {

namespace {

constexpr int kListTop = 72;

std::string RightAligned(const std::string& text, std::size_t width) {
  if (text.size() >= width) return text.substr(text.size() - width);
  return std::string(width - text.size(), ' ') + text;
}

}  // namespace

std::string LengthText(std::uint32_t length) {
  // The last digit stands in the 7th of 8 positions, the 8th is a blank or
  // the unit letter.
  std::uint64_t value = length;
  char unit = ' ';
  if (value > 9999999) {
    value /= 1024;
    unit = 'k';
    if (value > 9999999) {
      value /= 1024;
      unit = 'M';
    }
  }
  // At most 7 digits, put down from the right into one buffer.
  char text[] = "        ";
  text[7] = unit;
  std::size_t at = 7;
  do {
    text[--at] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value > 0 && at > 0);
  return std::string(text, sizeof text - 1);
}

// "MM/DD/YY hh:mm". Every field of a Macintosh date is below 100; the
// digits are put down directly into one buffer, as a formatted print (or
// a string grown character by character) costs more than the rest of the
// row.
std::string DateText(std::uint32_t macDate) {
  const DateFields f = MacDateToFields(macDate);
  char text[] = "00/00/00 00:00";
  const int fields[] = {f.month, f.day, f.year % 100, f.hour, f.minute};
  for (std::size_t i = 0; i < std::size(fields); ++i) {
    text[3 * i] = static_cast<char>('0' + fields[i] / 10 % 10);
    text[3 * i + 1] = static_cast<char>('0' + fields[i] % 10);
  }
  return std::string(text, sizeof text - 1);
}

// Built by appends: GCC 12 at -O3 warns falsely about "[" + std::string.
std::string ValenceText(std::uint32_t valence) {
  std::string text = "[";
  text += std::to_string(valence);
  text += ']';
  return RightAligned(text, 8);
}

std::string DataText(const ListingEntry& row) {
  return row.kind == kKindFolder ? "  <DIR> " : LengthText(row.dataLength);
}

std::string ResourceText(const ListingEntry& row) {
  return row.kind == kKindFolder ? std::string(8, ' ') : LengthText(row.resourceLength);
}

std::string SignatureText(const ListingEntry& row) {
  return row.kind == kKindFolder ? ValenceText(row.valence) : std::string(row.signature.begin(), row.signature.end());
}

ListingMode CurrentListingMode(std::uint16_t modeFlags) {
  if (modeFlags & kListSignature) return ListingMode::kWithSignature;
  if (modeFlags & kListExtended) return ListingMode::kExtended;
  return ListingMode::kShort;
}

std::uint16_t PageSize(ListingMode mode) { return mode == ListingMode::kShort ? 36 : 18; }

void LoadListing(Context& ctx, const std::string& pattern) {
  ListingView& view = ctx.listing;
  view.count = view.first = view.next = 0;
  TreeWorkFile& catalog = ctx.volume.catalog;
  const std::uint32_t folder = ctx.volume.current.currentDirId;
  FoundRecord found = FindCatalogRecord(catalog, "*", kWantEntry, folder);
  if (!found) {
    if (found.status == SearchStatus::kDamaged) MessageDialog(ctx, kTextCatalogDamaged);
    return;
  }
  const std::string macPattern = ConvertString(pattern, AnsiToMac);
  if (view.rows.size() < view.capacity) view.rows.resize(view.capacity);
  // The walk along the leaves is bounded by the catalog's node count.
  TreeWalk walk = StartWalk(catalog);
  bool unreadableRecord = false;
  for (; found; found = NextLeafRecord(catalog, walk)) {
    std::optional<CatalogRecord> record = ReadCatalogRecord(found.record);
    unreadableRecord = !record;
    if (!record || record->key.parentId != folder) break;
    if (record->type != kDirectoryRecord && record->type != kFileRecord) continue;
    if (!macPattern.empty() && MatchName(macPattern, record->key.name) != 0) continue;
    // A folder holding more records than its valence says still lists them all.
    if (view.count == 0xFFFE) break;
    if (view.count >= view.rows.size()) view.rows.resize(view.count + 1u);
    ListingEntry& row = view.rows[view.count++];
    row = ListingEntry{};
    row.kind = record->type == kDirectoryRecord ? kKindFolder : kKindFile;
    row.name = record->key.name;
    row.created = CreationDate(*record);
    row.modified = ModificationDate(*record);
    if (row.kind == kKindFolder) {
      row.valence = Valence(*record);
    } else {
      row.dataLength = DataLogicalLength(*record);
      row.resourceLength = ResourceLogicalLength(*record);
      const std::string signature = FileType(*record) + FileCreator(*record);
      std::copy_n(signature.begin(), std::min(signature.size(), row.signature.size()), row.signature.begin());
    }
  }
  view.capacity = static_cast<std::uint16_t>(std::max<std::size_t>(view.capacity, view.rows.size()));
  // The rows read so far stay listed; the user learns the rest is missing.
  if (unreadableRecord || found.status == SearchStatus::kDamaged) MessageDialog(ctx, kTextCatalogDamaged);
}

void ResizeListing(ListingView& view, std::uint32_t valence) {
  const auto wanted = static_cast<std::uint16_t>(std::min<std::uint32_t>(valence, 0xFFFE));
  if (wanted > view.capacity) view.capacity = wanted;
  else if (wanted < kStartCapacity && view.capacity > kStartCapacity) view.capacity = kStartCapacity;
  view.rows.resize(view.capacity);
}

std::uint16_t ShownRows(ListingView& view, ListingMode mode) {
  std::uint16_t shown = view.count > view.first ? std::min<std::uint16_t>(view.count - view.first, PageSize(mode)) : 0;
  view.next = static_cast<std::uint16_t>(view.first + shown);
  return shown;
}

std::uint16_t HitTest(const ListingView& view, ListingMode mode, bool driveSelected, int x, int y, int half,
                      int lineHeight) {
  if (!driveSelected || y < kListTop || lineHeight <= 0) return kNoRow;
  const int shown = view.next > view.first ? view.next - view.first : 0;
  const int lines = mode == ListingMode::kShort ? (shown + 1) / 2 : shown;
  const int line = (y - kListTop) / lineHeight;
  if (line >= lines) return kNoRow;
  if (mode != ListingMode::kShort) return static_cast<std::uint16_t>(line);
  const int row = 2 * line + (x >= half ? 1 : 0);
  return row < shown ? static_cast<std::uint16_t>(row) : kNoRow;
}

void SelectEntry(ListingView& view, std::uint16_t i) {
  if (i < view.count) view.rows[i].selected = true;
}

void DeselectEntry(ListingView& view, std::uint16_t i) {
  if (i < view.count) view.rows[i].selected = false;
}

bool IsSelected(const ListingView& view, std::uint16_t i) { return i < view.count && view.rows[i].selected; }

bool IsFolder(const ListingView& view, std::uint16_t i) { return i < view.count && view.rows[i].kind == kKindFolder; }

void SelectAll(ListingView& view) {
  for (std::uint16_t i = 0; i < view.count; ++i) view.rows[i].selected = true;
}

void DeselectAll(ListingView& view) {
  for (std::uint16_t i = 0; i < view.count; ++i) view.rows[i].selected = false;
}

void InvertSelection(ListingView& view) {
  for (std::uint16_t i = 0; i < view.count; ++i) view.rows[i].selected = !view.rows[i].selected;
}

std::uint16_t CountSelected(const ListingView& view) {
  return static_cast<std::uint16_t>(
      std::count_if(view.rows.begin(), view.rows.begin() + view.count, [](const ListingEntry& e) { return e.selected; }));
}

std::uint16_t TakeFirstSelected(ListingView& view) {
  for (std::uint16_t i = 0; i < view.count; ++i) {
    if (view.rows[i].selected) {
      view.rows[i].selected = false;
      return i;
    }
  }
  return kNoRow;
}

std::uint16_t FindSelectedFolder(const ListingView& view, std::uint16_t start) {
  for (std::uint32_t i = start == kNoRow ? 0 : start + 1u; i < view.count; ++i)
    if (view.rows[i].selected && view.rows[i].kind == kKindFolder) return static_cast<std::uint16_t>(i);
  return kNoRow;
}

void NextScreen(ListingView& view) {
  view.first = view.next;
  view.next = 0;
  view.backPagingEnabled = true;
}

void FirstScreen(ListingView& view) {
  view.backPagingEnabled = false;
  view.first = 0;
  view.next = 0;
}

void PrecedingScreen(ListingView& view, ListingMode mode) {
  if (PageSize(mode) < view.first) {
    view.first = static_cast<std::uint16_t>(view.first - PageSize(mode));
  } else {
    view.first = 0;
    view.backPagingEnabled = false;
  }
  view.next = 0;
}

bool SetListingMode(ListingView& view, std::uint16_t& modeFlags, ListingMode mode) {
  const bool extended = modeFlags & kListExtended;
  const bool signature = modeFlags & kListSignature;
  switch (mode) {
    case ListingMode::kShort:
      if (!extended && !signature) return false;
      view.first = static_cast<std::uint16_t>(view.first / 36 * 36);
      modeFlags &= static_cast<std::uint16_t>(~(kListExtended | kListSignature));
      break;
    case ListingMode::kExtended:
      if (extended && !signature) return false;
      modeFlags = static_cast<std::uint16_t>((modeFlags | kListExtended) & ~kListSignature);
      break;
    case ListingMode::kWithSignature:
      if (signature && !extended) return false;
      modeFlags = static_cast<std::uint16_t>((modeFlags | kListSignature) & ~kListExtended);
      break;
  }
  view.next = 0;
  return true;
}

std::uint16_t SelectMatching(ListingView& view, const std::string& macPattern) {
  std::uint16_t selected = 0;
  for (std::uint16_t i = 0; i < view.count; ++i) {
    if (MatchName(macPattern, view.rows[i].name) == 0) {
      view.rows[i].selected = true;
      ++selected;
    }
  }
  return selected;
}

}  // namespace tarvo
