#include "transfer/pc_file_name.h"

#include <algorithm>
#include <optional>

#include "base/charset.h"
#include "base/utf8.h"

namespace tarvo {

namespace {

constexpr std::string_view kShortNameCharacters =
    "()-0123456789@ABCDEFGHIJKLMNOPQRSTUVWXYZ\\^_`abcdefghijklmnopqrstuvwxyz{}~";

std::string_view Trim(std::string_view name);
// The index of the dot that begins the name's extension, if it has one.
std::optional<std::size_t> ExtensionDot(std::string_view name);
std::string ExtensionOf(std::string_view name, std::optional<std::size_t> dot);
bool TakenInShortNames(std::uint8_t d);

}  // namespace

void SetExtension(std::string& name, std::string_view ext) {
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot + 4 >= name.size()) name.erase(dot + 1);
  else name += '.';
  for (char c : ext) name += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string NumberedExtension(std::uint16_t count) {
  constexpr std::string_view kDigits = "0123456789ABCDEFGHIJKLMNOPQRSTUV";
  return {kDigits[(count >> 10) & 31], kDigits[(count >> 5) & 31], kDigits[count & 31]};
}

std::string NumberedLongName(std::string_view name, std::uint32_t n) {
  const std::size_t dot = name.rfind('.');
  const std::size_t at = dot == std::string_view::npos || dot == 0 ? name.size() : dot;
  return std::string(name.substr(0, at)) + " (" + std::to_string(n) + ")" + std::string(name.substr(at));
}

std::string LongPcFileName(std::string_view macName, std::string_view typeCreator, const TypeCreatorTable& table) {
  macName = Trim(macName);
  std::string out = MacRomanToUtf8(macName);
  if (!ExtensionDot(macName)) SetExtension(out, ExtensionForTypeCreator(table, typeCreator));
  return SafePcName(out);
}

std::string ShortPcFileName(std::string_view macName, std::string_view typeCreator, const TypeCreatorTable& table) {
  macName = Trim(macName);
  const std::optional<std::size_t> dot = ExtensionDot(macName);
  std::string out;
  bool dotPlaced = false;
  for (std::size_t i = 0; i < macName.size() && out.size() < 12; ++i) {
    const std::uint8_t d = MacToShortName[static_cast<std::uint8_t>(macName[i])];
    if (d != 0 && TakenInShortNames(d)) {
      out += static_cast<char>(d);
    } else if (dot == i && !dotPlaced) {
      out += '.';
      break;
    }
    if (out.size() == 8 && !dotPlaced) {
      out += '.';
      dotPlaced = true;
      if (dot) break;
    }
  }
  SetExtension(out, dot ? ExtensionOf(macName, dot) : ExtensionForTypeCreator(table, typeCreator));
  return SafePcName(out);
}

std::string PcFolderName(std::string_view macName, bool longNames) {
  macName.remove_prefix(std::min(macName.find_first_not_of(' '), macName.size()));
  std::string out;
  if (longNames) {
    out = MacRomanToUtf8(macName);
  } else {
    for (char c : macName) {
      char d = static_cast<char>(MacToShortName[static_cast<std::uint8_t>(c)]);
      if (d >= 'a' && d <= 'z') d = static_cast<char>(d - 'a' + 'A');
      if ((d >= 'A' && d <= 'Z') || (d >= '0' && d <= '9')) out += d;
      if (out.size() == 8) break;
    }
  }
  return SafePcName(out);
}

std::string SafePcName(std::string name) {
  if (name.empty()) return "_";
  std::replace(name.begin(), name.end(), '/', '_');
  std::replace(name.begin(), name.end(), '\0', '_');
  if (name.find_first_not_of('.') == std::string::npos) std::fill(name.begin(), name.end(), '_');
  return name;
}

std::filesystem::path PcNameToPath(const std::filesystem::path& dir, std::string_view name, bool shortName) {
  return dir / (shortName ? DosToUtf8(name) : std::string(name));
}

std::string ShownPcName(std::string_view name, bool shortName) {
  return shortName ? ConvertString(name, DosToAnsi) : Utf8ToAnsi(name);
}

namespace {

std::string_view Trim(std::string_view name) {
  const std::size_t first = name.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return name.substr(first, name.find_last_not_of(' ') - first + 1);
}

std::optional<std::size_t> ExtensionDot(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return std::nullopt;
  const std::size_t tail = name.size() - dot;
  if (tail < 2 || tail > 4) return std::nullopt;
  return dot;
}

std::string ExtensionOf(std::string_view name, std::optional<std::size_t> dot) {
  return std::string(Trim(name.substr(*dot + 1)));
}

bool TakenInShortNames(std::uint8_t d) {
  return d >= 0x80 || kShortNameCharacters.find(static_cast<char>(d)) != std::string_view::npos;
}

}  // namespace

}  // namespace tarvo
