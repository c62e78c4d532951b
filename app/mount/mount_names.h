// File names between the mount (UTF-8) and the catalog (Mac Roman), as the
// copies convert them (base/utf8.h). A Macintosh name may hold '/', which
// no Linux name can: it is shown as ':', which no Macintosh name holds,
// and found again so. A new name must fit the catalog: at most 31
// characters, and no ':'.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarvo {

// The name of a catalog entry as the mount shows it.
std::string ShownName(std::string_view macName);
// The catalog name a shown name looks up.
std::string LookupName(std::string_view shown);

// With -o rsrc, NAME:rsrc is the resource fork of the file NAME: the
// file's shown name; none for another name. (A file's path can have no
// components below it, and no Macintosh name holds ':'.)
std::optional<std::string_view> ResourcePathOwner(std::string_view shown);

enum class NameFit { kFits, kTooLong, kHasColon };
// Whether a shown name may name a new entry, and the catalog name it gets.
NameFit NewMacName(std::string_view shown, std::string& macName);

}  // namespace tarvo
