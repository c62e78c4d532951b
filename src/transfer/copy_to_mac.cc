#include "transfer/copy_to_mac.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <set>
#include <system_error>

#include "base/charset.h"
#include "base/engine.h"
#include "base/type_creator.h"
#include "base/utf8.h"
#include "base/wildcard.h"
#include "hfs/allocation.h"
#include "hfs/catalog_lookup.h"
#include "hfs/flush_report.h"
#include "hfs/mac_date.h"
#include "hfs/navigation.h"
#include "transfer/apple_single.h"
#include "transfer/binhex.h"
#include "transfer/mac_folder.h"
#include "transfer/macbinary.h"
#include "transfer/pc_file_name.h"
#include "transfer/pc_file_system.h"
#include "transfer/replace_file.h"
#include "transfer/text_conversion.h"
#include "transfer/write_file.h"

namespace tarvo {

namespace {

constexpr int kMaxFolderDepth = 64;
constexpr std::size_t kSuffixLength = 6;  // " (nnn)"
constexpr std::string_view kMacOsxFolder = "__MACOSX";

struct PcEntry {
  std::string name;  // UTF-8
  bool directory = false;
};

// A PC file as it goes onto the volume: as it is, or unpacked into a
// MacBinary file; or not at all (the user was told why).
struct AppleUnpack {
  enum class Kind { kPlain, kMacBinary, kRefused };
  Kind kind = Kind::kPlain;
  std::FILE* macBinary = nullptr;
};

int CopyFolderAt(Engine& ctx, const std::filesystem::path& pcDirectory, const std::string& name,
                 const std::optional<std::string>& typeCreator, int depth);
// The directory's entries in name order: directories and regular files.
std::optional<std::vector<PcEntry>> ListPcDirectory(Engine& ctx, const std::filesystem::path& directory);
std::string NumberedName(const std::string& macName, std::uint32_t number);
std::optional<std::string> FreeNumberedName(Engine& ctx, const std::string& macName, std::uint32_t count);
std::FILE* UnpackBinHex(Engine& ctx, std::FILE* file, const std::optional<PcFileFacts>& facts,
                        const std::string& shownPcName);
PcText ConvertPcText(std::FILE* file, std::FILE*& converted);
// Where the "._" partners of a PC directory's files may stand: beside them,
// or in the "__MACOSX" folder of a directory above, at the same place below
// it (zip archives made on macOS hold them so). Looked for once a directory.
struct PartnerPlaces {
  std::filesystem::path beside;
  std::optional<std::filesystem::path> mirror;
  // The "._" files beside, when the directory's listing is at hand.
  std::optional<std::set<std::string>> besideNames;
};
PartnerPlaces FindPartnerPlaces(const std::filesystem::path& directory, const std::vector<PcEntry>* listing);
int CopyPcFileAt(Engine& ctx, const PartnerPlaces& places, const std::filesystem::path& pcPath,
                 const std::optional<std::string>& typeCreator);
AppleUnpack UnpackApple(Engine& ctx, std::FILE* file, const std::optional<PcFileFacts>& facts,
                        const PartnerPlaces& places, const std::filesystem::path& pcPath,
                        const std::string& shownPcName);
std::optional<std::filesystem::path> AppleDoublePartner(const PartnerPlaces& places, const std::string& fileName);
bool HoldsPartnersOnly(const std::vector<PcEntry>& entries, const PcEntry& entry);
void RefuseCopy(Engine& ctx, const std::string& shownPcName, std::string_view problem);
bool Matches(std::string_view name, std::string_view pattern);
void LogCd(Engine& ctx, const std::string& macName);

}  // namespace

int CopyPcToMac(Engine& ctx, const PcToMacRequest& request) {
  if (ctx.volume.targetId == kNoDevice || ctx.volume.catalog.handle == nullptr) {
    MessageDialog(ctx, ctx.messages[kMsgSelectDriveInMenu]);
    return -1;
  }
  if (IsLogOpen(ctx.log)) AppendLog(ctx.log, "PC->Mac\n");
  LoadTypeCreatorFile(ctx);
  if (!EnsureBitmapLoaded(ctx)) {
    MessageDialog(ctx, ctx.messages[kMsgErrorReadingData]);
    return -1;
  }
  int result = 0;
  switch (request.source) {
    case PcToMacRequest::Source::kSelection:
      for (std::size_t i = 0; i < request.names.size(); ++i) {
        if (PollAbort(ctx)) break;
        // The file of that very name: a name is no pattern here.
        ++ctx.settings.copiedFileCount;
        result = CopyPcFile(ctx, request.pcDirectory / request.names[i], std::nullopt);
        if (result != 0) break;
        if (request.copied) request.copied(i);
      }
      break;
    case PcToMacRequest::Source::kAllFiles:
      result = CopyPcItems(ctx, request.pcDirectory, request.pattern, std::nullopt);
      break;
    case PcToMacRequest::Source::kDirectory:
      if (!request.names.empty() && !request.names.front().starts_with('.')) {
        result = CopyPcItems(ctx, request.pcDirectory, request.names.front(), std::nullopt);
      }
      break;
  }
  FlushVolumeAndReport(ctx);
  return result;
}

int CopyPcMatches(Engine& ctx, std::string_view pattern) {
  std::error_code error;
  const std::filesystem::path here = std::filesystem::current_path(error);
  PcToMacRequest request;
  request.source = PcToMacRequest::Source::kAllFiles;
  request.pcDirectory = error ? std::filesystem::path(".") : here;
  request.pattern = std::string(pattern);
  return CopyPcToMac(ctx, request);
}

int CopyPcItems(Engine& ctx, const std::filesystem::path& pcDirectory, std::string_view pattern,
                const std::optional<std::string>& typeCreator) {
  const std::optional<std::vector<PcEntry>> entries = ListPcDirectory(ctx, pcDirectory);
  if (!entries) return -1;
  const PartnerPlaces places = FindPartnerPlaces(pcDirectory, &*entries);
  for (const PcEntry& entry : *entries) {
    if (!MatchesPcPattern(entry.name, pattern) || HoldsPartnersOnly(*entries, entry)) continue;
    if (PollAbort(ctx)) return 1;
    int result = 0;
    if (entry.directory) {
      if (entry.name.starts_with('.') || (ctx.settings.modeFlags & kFilesOnly) != 0) continue;
      result = CopyFolderAt(ctx, pcDirectory, entry.name, typeCreator, 1);
    } else {
      ++ctx.settings.copiedFileCount;
      result = CopyPcFileAt(ctx, places, pcDirectory / entry.name, typeCreator);
    }
    if (result != 0) return result;
  }
  return 0;
}

int CopyPcFolder(Engine& ctx, const std::filesystem::path& pcDirectory, const std::string& name,
                 const std::optional<std::string>& typeCreator) {
  return CopyFolderAt(ctx, pcDirectory, name, typeCreator, 1);
}

int CopyPcFile(Engine& ctx, const std::filesystem::path& pcPath, const std::optional<std::string>& typeCreator) {
  return CopyPcFileAt(ctx, FindPartnerPlaces(pcPath.parent_path(), nullptr), pcPath, typeCreator);
}

namespace {

int CopyPcFileAt(Engine& ctx, const PartnerPlaces& places, const std::filesystem::path& pcPath,
                 const std::optional<std::string>& typeCreator) {
  const std::string pcName = pcPath.filename().string();
  const std::string shownPcName = Utf8ToAnsi(pcName);
  const std::uint16_t mode = ctx.settings.modeFlags;
  ForkChoice fork = ForkChoice::kData;
  std::optional<std::string> tc;
  if ((mode & (kCopyMacBinary | kCopyBinHex)) != 0) {
    fork = ForkChoice::kMacBinary;
  } else {
    if ((mode & kCopyResource) != 0) fork = ForkChoice::kResource;
    tc = typeCreator ? typeCreator : TypeCreatorForPcName(ctx.typeCreators, Utf8ToDos(pcName));
  }

  CopyTally& tally = ctx.settings.copies;
  std::FILE* file = OpenPcFileToRead(pcPath);
  if (file == nullptr) {
    MessageDialog(ctx, std::string(kTextErrorOpeningFile) + " " + shownPcName);
    ++tally.failed;
    return -1;
  }
  const std::optional<PcFileFacts> facts = PcFileFactsOf(file);
  const AppleUnpack apple = UnpackApple(ctx, file, facts, places, pcPath, shownPcName);
  if (apple.kind != AppleUnpack::Kind::kPlain) std::fclose(file);
  if (apple.kind == AppleUnpack::Kind::kRefused) {
    ++tally.failed;
    return -1;
  }
  if (apple.kind == AppleUnpack::Kind::kMacBinary) {
    file = apple.macBinary;
    fork = ForkChoice::kMacBinary;
    tc.reset();
  } else if ((mode & kCopyBinHex) != 0) {
    // Unpacked into a MacBinary file, which goes on as one.
    std::FILE* unpacked = UnpackBinHex(ctx, file, facts, shownPcName);
    std::fclose(file);
    if (unpacked == nullptr) {
      ++tally.failed;
      return -1;
    }
    file = unpacked;
  }
  if ((mode & kCopyText) != 0 && tc && tc->starts_with("TEXT")) {
    std::FILE* converted = nullptr;
    const PcText text = ConvertPcText(file, converted);
    if (text != PcText::kNotText) std::fclose(file);
    if (text == PcText::kFailed) {
      MessageDialog(ctx, kTextErrorReadingFile + shownPcName);
      ++tally.failed;
      return -1;
    }
    if (text == PcText::kConverted) file = converted;
  }
  std::string macName = MacNameForPcName(pcName);
  if (fork == ForkChoice::kMacBinary) {
    // The name the file will really get is the header's.
    MacBinaryInfo header;
    if (ReadMacBinaryHeader(file, header) == MacBinaryCheck::kAccepted) macName = header.name;
    std::rewind(file);
  }
  int result = 0;
  bool replace = false;
  if (MacItemType(ctx, macName) != MacItem::kAbsent) {
    result = AskReplace(ctx, macName, ctx.settings.copiedFileCount, replace);
  }
  if (result == 0 && replace) {
    result = ReplaceWithPcFile(ctx, file, shownPcName, macName, tc, fork);
  } else if (result == 0) {
    result = WriteFileToVolume(ctx, file, shownPcName, macName, ctx.volume.current.currentDirId, tc, 0, fork);
  }
  std::fclose(file);
  if (result == 0) {
    ++tally.files;
    tally.bytes += facts ? facts->length : 0;
  } else if (result == kCopyCancelled) {
    ++tally.skipped;
  } else {
    ++tally.failed;
  }
  return result;
}

}  // namespace

int AskReplace(Engine& ctx, std::string& macName, std::uint32_t count, bool& replace) {
  const std::string text = ctx.messages[kMsgTheFile] + ConvertString(macName, MacToAnsi) +
                           ctx.messages[kMsgAlreadyExistsReplace];
  replace = false;
  switch (ShowMessageBox(ctx, text, Buttons::kYesNoCancel, Stakes::kDestroys)) {
    case Answer::kCancel:
      return kCopyCancelled;
    case Answer::kNo:
      if (std::optional<std::string> numbered = FreeNumberedName(ctx, macName, count)) {
        macName = *numbered;
        return 0;
      }
      return -1;
    case Answer::kYes:
    case Answer::kOk:
      break;
  }
  replace = true;
  return 0;
}

std::string MacNameForPcName(std::string_view pcName) {
  std::string mac = CapitalsToLowerCase(Utf8ToMacRoman(pcName).substr(0, kMaxNameLength));
  std::replace(mac.begin(), mac.end(), ':', '_');
  while (!mac.empty() && mac.back() == ' ') mac.pop_back();
  return mac.empty() ? "Untitled" : mac;
}

bool MatchesPcPattern(std::string_view pcName, std::string_view pattern) {
  const std::string name = Utf8ToDos(pcName), mask = Utf8ToDos(pattern);
  if (Matches(name, mask)) return true;
  // "NAME.*" also takes NAME without an extension.
  return mask.ends_with(".*") && name.find('.') == std::string::npos &&
         Matches(name, std::string_view(mask).substr(0, mask.size() - 2));
}

namespace {

int CopyFolderAt(Engine& ctx, const std::filesystem::path& pcDirectory, const std::string& name,
                 const std::optional<std::string>& typeCreator, int depth) {
  if (depth > kMaxFolderDepth) return 0;
  const std::uint32_t savedId = ctx.volume.current.currentDirId;
  const MadeFolder made = MakeMacFolder(ctx, MacNameForPcName(name));
  if (made.status == FolderStatus::kFailed) return -1;
  const std::optional<CatalogRecord> folder = FindNamedRecord(ctx.volume.catalog, savedId, made.macName);
  if (!folder || folder->type != kDirectoryRecord) return 0;  // a file bears the name: the folder is skipped
  if (!EnterDirectoryById(ctx, DirectoryId(*folder))) return -1;
  LogCd(ctx, made.macName);

  const std::filesystem::path here = pcDirectory / name;
  int result = 0;
  const std::optional<std::vector<PcEntry>> entries = ListPcDirectory(ctx, here);
  const PartnerPlaces places = FindPartnerPlaces(here, entries ? &*entries : nullptr);
  for (const PcEntry& entry : entries.value_or(std::vector<PcEntry>{})) {
    if (PollAbort(ctx)) {
      result = 1;
      break;
    }
    if (HoldsPartnersOnly(*entries, entry)) continue;
    if (entry.directory) {
      if (entry.name.starts_with('.')) continue;
      result = CopyFolderAt(ctx, here, entry.name, typeCreator, depth + 1);
      if (result != 0) break;
    } else {
      ++ctx.settings.copiedFileCount;
      CopyPcFileAt(ctx, places, here / entry.name, typeCreator);
    }
  }
  EnterDirectoryById(ctx, savedId);
  return entries ? result : -1;
}

std::optional<std::vector<PcEntry>> ListPcDirectory(Engine& ctx, const std::filesystem::path& directory) {
  std::error_code error;
  std::vector<PcEntry> entries;
  std::filesystem::directory_iterator it(directory, error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    // The entry's type as the directory listing gave it: no status call
    // per entry, except for a link, which is followed to what it names,
    // never into a loop of folders.
    std::error_code kind;
    if (it->is_symlink(kind) || kind) {
      const std::filesystem::file_status target = it->status(kind);
      if (kind || !std::filesystem::is_regular_file(target)) continue;
      entries.push_back({it->path().filename().string(), false});
    } else if (it->is_directory(kind) || it->is_regular_file(kind)) {
      entries.push_back({it->path().filename().string(), it->is_directory(kind)});
    }
  }
  if (error) {
    MessageDialog(ctx, std::string(kTextErrorOpeningFile) + " " + Utf8ToAnsi(directory.string()));
    return std::nullopt;
  }
  std::sort(entries.begin(), entries.end(), [](const PcEntry& a, const PcEntry& b) { return a.name < b.name; });
  return entries;
}

// The first numbered name from count on that the current folder lacks.
std::optional<std::string> FreeNumberedName(Engine& ctx, const std::string& macName, std::uint32_t count) {
  for (std::uint32_t n = 0; n < 1000; ++n) {
    std::string numbered = NumberedName(macName, count + n);
    if (MacItemType(ctx, numbered) == MacItem::kAbsent) return numbered;
  }
  return std::nullopt;
}

std::string NumberedName(const std::string& macName, std::uint32_t number) {
  const unsigned n = number % 1000;
  const char suffix[] = {' ', '(', static_cast<char>('0' + n / 100), static_cast<char>('0' + n / 10 % 10),
                         static_cast<char>('0' + n % 10), ')'};
  return macName.substr(0, kMaxNameLength - kSuffixLength) + std::string(suffix, kSuffixLength);
}

// The decoded BinHex file as a MacBinary file dated as the PC file; none,
// after a message, when the file is no sound BinHex file.
std::FILE* UnpackBinHex(Engine& ctx, std::FILE* file, const std::optional<PcFileFacts>& facts,
                        const std::string& shownPcName) {
  BinHexFile decoded;
  const BinHexCheck check = facts ? ReadBinHex(file, decoded) : BinHexCheck::kTruncated;
  if (check != BinHexCheck::kDecoded) {
    RefuseCopy(ctx, shownPcName, BinHexProblem(check));
    return nullptr;
  }
  std::FILE* unpacked = BinHexAsMacBinary(decoded, PcTimeToMacDate(facts->modified), PcTimeToMacDate(facts->modified));
  if (unpacked == nullptr) MessageDialog(ctx, kTextErrorReadingFile + shownPcName);
  return unpacked;
}

// The PC file as Mac text in a temporary file dated as the PC file, which
// then goes on as the PC file; `converted` stays none unless it was.
PcText ConvertPcText(std::FILE* file, std::FILE*& converted) {
  struct stat info{};
  std::FILE* out = std::tmpfile();
  PcText text = out == nullptr || fstat(fileno(file), &info) != 0 ? PcText::kFailed : PcTextToMacText(file, out);
  const timespec times[2] = {{0, UTIME_OMIT}, info.st_mtim};
  if (text == PcText::kConverted && (std::fflush(out) != 0 || futimens(fileno(out), times) != 0)) {
    text = PcText::kFailed;
  }
  if (text == PcText::kConverted) {
    std::rewind(out);
    converted = out;
    return text;
  }
  if (out != nullptr) std::fclose(out);
  std::rewind(file);
  return text;
}

// An AppleSingle file, or a file with its AppleDouble partner, as a
// MacBinary file. A damaged partner leaves the file plain.
AppleUnpack UnpackApple(Engine& ctx, std::FILE* file, const std::optional<PcFileFacts>& facts,
                        const PartnerPlaces& places, const std::filesystem::path& pcPath,
                        const std::string& shownPcName) {
  std::array<std::uint8_t, 32> start{};
  const std::size_t startLength = std::fread(start.data(), 1, start.size(), file);
  std::rewind(file);
  const bool single = HasAppleMagic(ConstBytes(start).first(startLength), AppleFileKind::kSingle);
  const std::optional<std::filesystem::path> partner = single ? std::nullopt : AppleDoublePartner(places, pcPath.filename().string());
  if (!single && !partner) return {};

  std::filesystem::path pcName = pcPath.filename();
  AppleFile apple;
  if (single) {
    const AppleFileCheck check = ParseAppleFile(ReadFromStart(file), AppleFileKind::kSingle, apple);
    if (check != AppleFileCheck::kRead) {
      RefuseCopy(ctx, shownPcName, AppleFileProblem(check));
      return {AppleUnpack::Kind::kRefused};
    }
    if (pcName.extension() == ".as") pcName = pcName.stem();
  } else {
    std::FILE* partnerFile = OpenPcFileToRead(*partner);
    const AppleFileCheck check = partnerFile == nullptr
                                     ? AppleFileCheck::kBadMagic
                                     : ParseAppleFile(ReadFromStart(partnerFile), AppleFileKind::kDouble, apple);
    if (partnerFile != nullptr) std::fclose(partnerFile);
    if (check != AppleFileCheck::kRead) {
      MessageDialog(ctx, ctx.messages[kMsgTheFile] + shownPcName + ": its AppleDouble file " +
                             Utf8ToAnsi(partner->filename().string()) + " is not used, as " +
                             std::string(AppleFileProblem(check)) + "; the data fork alone is copied.");
      std::rewind(file);
      return {};
    }
    apple.contents.dataFork = ReadFromStart(file);
  }
  BinHexFile& contents = apple.contents;
  if (!apple.hasFinderInfo) {
    const std::string tc = TypeCreatorForPcName(ctx.typeCreators, Utf8ToDos(pcName.string()));
    contents.type = tc.substr(0, 4);
    contents.creator = tc.substr(4, 4);
  }
  // A pair keeps the Mac name it holds only while the PC name is the one
  // that name gives: a file renamed on the PC comes back as renamed.
  if (!single && LongPcFileName(contents.name, contents.type + contents.creator, ctx.typeCreators) != pcName) {
    contents.name.clear();
  }
  if (contents.name.empty()) contents.name = MacNameForPcName(pcName.string());
  const std::uint32_t pcDate = facts ? PcTimeToMacDate(facts->modified) : MacNow();
  std::FILE* unpacked =
      BinHexAsMacBinary(contents, apple.created.value_or(pcDate), apple.modified.value_or(pcDate));
  if (unpacked == nullptr) {
    MessageDialog(ctx, kTextErrorReadingFile + shownPcName);
    return {AppleUnpack::Kind::kRefused};
  }
  return {AppleUnpack::Kind::kMacBinary, unpacked};
}

PartnerPlaces FindPartnerPlaces(const std::filesystem::path& directory, const std::vector<PcEntry>* listing) {
  std::error_code error;
  PartnerPlaces places{std::filesystem::absolute(directory, error), std::nullopt, std::nullopt};
  if (error) return places;
  if (listing != nullptr) {
    places.besideNames.emplace();
    for (const PcEntry& entry : *listing) {
      if (!entry.directory && entry.name.starts_with(kAppleDoublePrefix)) places.besideNames->insert(entry.name);
    }
  }
  std::filesystem::path dir = places.beside;
  std::filesystem::path below;  // from dir down to the directory
  for (int depth = 0; depth < kMaxFolderDepth; ++depth) {
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

// The "__MACOSX" folder, and a "._" file whose partner is listed: they
// travel with the files they belong to.
bool HoldsPartnersOnly(const std::vector<PcEntry>& entries, const PcEntry& entry) {
  if (entry.directory) return entry.name == kMacOsxFolder;
  if (!entry.name.starts_with(kAppleDoublePrefix)) return false;
  const std::string_view partner = std::string_view(entry.name).substr(kAppleDoublePrefix.size());
  return std::any_of(entries.begin(), entries.end(),
                     [partner](const PcEntry& e) { return !e.directory && e.name == partner; });
}

// "The file NAME was not copied: PROBLEM."
void RefuseCopy(Engine& ctx, const std::string& shownPcName, std::string_view problem) {
  MessageDialog(ctx, ctx.messages[kMsgTheFile] + shownPcName + " was not copied: " + std::string(problem) + ".");
}

// DOS names, letter case not counting.
bool Matches(std::string_view name, std::string_view pattern) {
  auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
  return WildcardMatch(pattern, name, [&upper](char a, char b) { return upper(a) == upper(b); });
}

void LogCd(Engine& ctx, const std::string& macName) {
  if (IsLogOpen(ctx.log)) AppendLog(ctx.log, "*cd " + ConvertString(macName, MacToAnsi) + "\r\n");
}

}  // namespace

}  // namespace tarvo
