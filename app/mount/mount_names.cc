#include "mount_names.h"

#include <algorithm>

#include "base/utf8.h"
#include "hfs/catalog_record.h"

namespace tarvo {

std::string ShownName(std::string_view macName) {
  std::string shown = MacRomanToUtf8(macName);
  std::replace(shown.begin(), shown.end(), '/', ':');
  return shown;
}

std::string LookupName(std::string_view shown) {
  std::string macName = Utf8ToMacRoman(shown);
  std::replace(macName.begin(), macName.end(), ':', '/');
  return macName;
}

std::optional<std::string_view> ResourcePathOwner(std::string_view shown) {
  constexpr std::string_view kSuffix = ":rsrc";
  if (shown.size() <= kSuffix.size() || !shown.ends_with(kSuffix)) return std::nullopt;
  return shown.substr(0, shown.size() - kSuffix.size());
}

NameFit NewMacName(std::string_view shown, std::string& macName) {
  if (shown.find(':') != std::string_view::npos) return NameFit::kHasColon;
  macName = Utf8ToMacRoman(shown);
  return macName.size() > kMaxNameLength ? NameFit::kTooLong : NameFit::kFits;
}

}  // namespace tarvo
