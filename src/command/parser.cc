#include "command/parser.h"

#include "base/program_settings.h"
#include "command/keywords.h"

namespace tarvo {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsWordChar(char c) { return IsLetter(c) || c == '?'; }

void ApplyOption(char letter, std::uint16_t& flags);

// Reads one argument starting at `pos` and leaves `pos` after it.
std::string ReadArgument(std::string_view line, std::size_t& pos);

}  // namespace

ParsedCommand ParseCommand(std::string_view line, std::uint16_t& modeFlags) {
  ParsedCommand parsed;
  line = line.substr(0, kCommandLineLimit);
  std::size_t pos = 0;
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
  const std::size_t wordStart = pos;
  while (pos < line.size() && IsWordChar(line[pos])) ++pos;
  parsed.code = LookupKeyword(line.substr(wordStart, pos - wordStart));
  if (parsed.code == kCmdNone) return parsed;

  int slot = 0;  // 0 first, 1 second, 2 and on dropped
  while (pos < line.size()) {
    const char c = line[pos];
    if (IsBlank(c)) {
      ++pos;
    } else if (c == '.') {
      ++pos;
      if (parsed.code == kCmdCd) parsed.code = kCmdCdParent;
    } else if (c == '\\') {
      ++pos;
      if (parsed.code == kCmdCd) parsed.code = kCmdCdRoot;
    } else if ((c == '-' || c == '/') && pos + 1 < line.size() && IsLetter(line[pos + 1])) {
      ApplyOption(line[pos + 1], modeFlags);
      pos += 2;
    } else {
      std::string argument = ReadArgument(line, pos);
      if (slot == 0) parsed.first = std::move(argument);
      else if (slot == 1) parsed.second = std::move(argument);
      if (slot < 2) ++slot;
    }
  }
  return parsed;
}

namespace {

void SetCopyMode(std::uint16_t mode, std::uint16_t& flags) { flags = WithCopyMode(flags, mode); }

void SetListingBits(std::uint16_t bits, std::uint16_t& flags) {
  flags = static_cast<std::uint16_t>((flags & ~(kListExtended | kListSignature)) | bits);
}

void ApplyOption(char letter, std::uint16_t& flags) {
  switch (letter) {
    case 'A': case 'a': SetListingBits(kListExtended | kListSignature, flags); break;
    case 'E': case 'e': SetListingBits(kListExtended, flags); break;
    case 'S': case 's': SetListingBits(0, flags); break;
    case 'B': case 'b': SetCopyMode(kCopyMacBinary, flags); break;
    case 'D': case 'd': SetCopyMode(kCopyData, flags); break;
    case 'H': case 'h': SetCopyMode(kCopyBinHex, flags); break;
    case 'N': case 'n': SetCopyMode(kCopyAppleSingle, flags); break;
    case 'O': case 'o': SetCopyMode(kCopyAppleDouble, flags); break;
    case 'R': case 'r': SetCopyMode(kCopyResource, flags); break;
    case 'T': case 't': SetCopyMode(kCopyText, flags); break;
    case 'F': case 'f': flags |= kFilesOnly; break;
    default: break;  // Q and unknown letters are accepted without effect
  }
}

std::string ReadArgument(std::string_view line, std::size_t& pos) {
  if (line[pos] == '"') {
    const std::size_t start = pos + 1;
    const std::size_t close = line.find('"', start);
    if (close == std::string_view::npos) {
      pos = line.size();
      return std::string(line.substr(start));
    }
    pos = close + 1;
    return std::string(line.substr(start, close - start));
  }
  const std::size_t start = pos;
  while (pos < line.size() && !IsBlank(line[pos])) ++pos;
  return std::string(line.substr(start, pos - start));
}

}  // namespace

}  // namespace tarvo
