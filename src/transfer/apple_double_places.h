// Where the "._" AppleDouble partners of a PC directory's files may stand:
// beside them, or in the "__MACOSX" folder of a directory above, at the
// same place below it (zip archives made on macOS hold them so). Looked
// for once a directory.
#pragma once

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace tarvo {

inline constexpr std::string_view kMacOsxFolder = "__MACOSX";

struct PartnerPlaces {
  std::filesystem::path beside;
  std::optional<std::filesystem::path> mirror;
  // The "._" files beside, when the directory's listing is at hand.
  std::optional<std::set<std::string>> besideNames;
};

// Looks for the "__MACOSX" mirror at most 64 directories up.
PartnerPlaces FindPartnerPlaces(const std::filesystem::path& directory,
                                std::optional<std::set<std::string>> besideNames);

// The partner of the file of that name, when there is one.
std::optional<std::filesystem::path> AppleDoublePartner(const PartnerPlaces& places, const std::string& fileName);

}  // namespace tarvo
