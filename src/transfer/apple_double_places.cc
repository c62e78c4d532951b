#include "transfer/apple_double_places.h"

#include <system_error>

#include "transfer/apple_single.h"

namespace tarvo {

namespace {
constexpr int kMaxLevelsUp = 64;
}  // namespace

PartnerPlaces FindPartnerPlaces(const std::filesystem::path& directory,
                                std::optional<std::set<std::string>> besideNames) {
  std::error_code error;
  PartnerPlaces places{std::filesystem::absolute(directory, error), std::nullopt, std::move(besideNames)};
  if (error) {
    places.besideNames.reset();
    return places;
  }
  std::filesystem::path dir = places.beside;
  std::filesystem::path below;  // from dir down to the directory
  for (int depth = 0; depth < kMaxLevelsUp; ++depth) {
    const std::filesystem::path mirror = dir / kMacOsxFolder / below;
    if (std::filesystem::is_directory(mirror, error)) {
      places.mirror = mirror;
      break;
    }
    if (!dir.has_relative_path()) break;
    below = dir.filename() / below;
    dir = dir.parent_path();
  }
  return places;
}

std::optional<std::filesystem::path> AppleDoublePartner(const PartnerPlaces& places, const std::string& fileName) {
  const std::string partnerName = std::string(kAppleDoublePrefix) + fileName;
  std::error_code error;
  const bool maybeBeside = !places.besideNames || places.besideNames->contains(partnerName);
  if (maybeBeside && std::filesystem::is_regular_file(places.beside / partnerName, error)) {
    return places.beside / partnerName;
  }
  if (places.mirror && std::filesystem::is_regular_file(*places.mirror / partnerName, error)) {
    return *places.mirror / partnerName;
  }
  return std::nullopt;
}

}  // namespace tarvo
