#include "transfer/copy_to_mac.h"

#include <algorithm>
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
#include "hfs/navigation.h"
#include "transfer/apple_double_places.h"
#include "transfer/apple_single.h"
#include "transfer/binhex.h"
#include "transfer/mac_folder.h"
#include "transfer/pc_copy_report.h"
#include "transfer/pc_file_reader.h"
#include "transfer/pc_file_system.h"
#include "transfer/replace_file.h"
#include "transfer/text_conversion.h"
#include "transfer/write_file.h"

namespace tarvo {

namespace {

constexpr int kMaxFolderDepth = 64;
constexpr std::size_t kSuffixLength = 6;  // " (nnn)"

struct PcEntry {
  std::string name;  // UTF-8
  bool directory = false;
};

PcCopyOutcome CopyFolderAt(Engine& ctx, const std::filesystem::path& pcDirectory, const std::string& name,
                           const std::optional<std::string>& typeCreator, int depth);
// The directory's entries in name order: directories and regular files.
std::optional<std::vector<PcEntry>> ListPcDirectory(Engine& ctx, const std::filesystem::path& directory);
std::string NumberedName(const std::string& macName, std::uint32_t number);
std::optional<std::string> FreeNumberedName(Engine& ctx, const std::string& macName, std::uint32_t count);
PartnerPlaces PartnerPlacesOf(const std::filesystem::path& directory, const std::vector<PcEntry>* listing);
PcCopyOutcome CopyPcFileAt(Engine& ctx, const PartnerPlaces& places, const std::filesystem::path& pcPath,
                           const std::optional<std::string>& typeCreator);
PcCopyOutcome PlaceOnVolume(Engine& ctx, MacFileSource& source, const std::string& shownPcName);
bool HoldsPartnersOnly(const std::vector<PcEntry>& entries, const PcEntry& entry);
bool Matches(std::string_view name, std::string_view pattern);
void LogCd(Engine& ctx, const std::string& macName);

}  // namespace

PcCopyOutcome CopyPcToMac(Engine& ctx, const PcToMacRequest& request) {
  if (ctx.volume.targetId == kNoDevice || ctx.volume.catalog.handle == nullptr) {
    MessageDialog(ctx, ctx.messages[kMsgSelectDriveInMenu]);
    return PcCopyOutcome::kFailed;
  }
  if (IsLogOpen(ctx.log)) AppendLog(ctx.log, "PC->Mac\n");
  LoadTypeCreatorFile(ctx);
  if (!EnsureBitmapLoaded(ctx)) {
    MessageDialog(ctx, ctx.messages[kMsgErrorReadingData]);
    return PcCopyOutcome::kFailed;
  }
  PcCopyOutcome result = PcCopyOutcome::kDone;
  switch (request.source) {
    case PcToMacRequest::Source::kSelection:
      for (std::size_t i = 0; i < request.names.size(); ++i) {
        if (PollAbort(ctx)) break;
        // The file of that very name: a name is no pattern here.
        ++ctx.settings.copiedFileCount;
        result = CopyPcFile(ctx, request.pcDirectory / request.names[i], std::nullopt);
        if (result != PcCopyOutcome::kDone) break;
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

PcCopyOutcome CopyPcMatches(Engine& ctx, std::string_view pattern) {
  std::error_code error;
  const std::filesystem::path here = std::filesystem::current_path(error);
  PcToMacRequest request;
  request.source = PcToMacRequest::Source::kAllFiles;
  request.pcDirectory = error ? std::filesystem::path(".") : here;
  request.pattern = std::string(pattern);
  return CopyPcToMac(ctx, request);
}

PcCopyOutcome CopyPcItems(Engine& ctx, const std::filesystem::path& pcDirectory, std::string_view pattern,
                          const std::optional<std::string>& typeCreator) {
  const std::optional<std::vector<PcEntry>> entries = ListPcDirectory(ctx, pcDirectory);
  if (!entries) return PcCopyOutcome::kFailed;
  const PartnerPlaces places = PartnerPlacesOf(pcDirectory, &*entries);
  for (const PcEntry& entry : *entries) {
    if (!MatchesPcPattern(entry.name, pattern) || HoldsPartnersOnly(*entries, entry)) continue;
    if (PollAbort(ctx)) return PcCopyOutcome::kAborted;
    PcCopyOutcome result = PcCopyOutcome::kDone;
    if (entry.directory) {
      if (entry.name.starts_with('.') || (ctx.settings.modeFlags & kFilesOnly) != 0) continue;
      result = CopyFolderAt(ctx, pcDirectory, entry.name, typeCreator, 1);
    } else {
      ++ctx.settings.copiedFileCount;
      result = CopyPcFileAt(ctx, places, pcDirectory / entry.name, typeCreator);
    }
    if (result != PcCopyOutcome::kDone) return result;
  }
  return PcCopyOutcome::kDone;
}

PcCopyOutcome CopyPcFile(Engine& ctx, const std::filesystem::path& pcPath,
                         const std::optional<std::string>& typeCreator) {
  return CopyPcFileAt(ctx, PartnerPlacesOf(pcPath.parent_path(), nullptr), pcPath, typeCreator);
}

namespace {

PcCopyOutcome CopyPcFileAt(Engine& ctx, const PartnerPlaces& places, const std::filesystem::path& pcPath,
                           const std::optional<std::string>& typeCreator) {
  const std::string shownPcName = Utf8ToAnsi(pcPath.filename().string());
  CopyTally& tally = ctx.settings.copies;
  std::FILE* file = OpenPcFileToRead(pcPath);
  if (file == nullptr) {
    MessageDialog(ctx, std::string(kTextErrorOpeningFile) + " " + shownPcName);
    ++tally.failed;
    return PcCopyOutcome::kFailed;
  }
  const PcFileProbe probe{file, pcPath, PcFileFactsOf(file), ctx.settings.modeFlags, typeCreator,
                          &ctx.typeCreators, &places};
  PcFileReading reading = ReadPcFile(probe);
  TellPcReading(ctx, reading, shownPcName);
  const PcCopyOutcome result = reading.status == PcReadStatus::kRead
                                   ? PlaceOnVolume(ctx, reading.source, shownPcName)
                                   : PcCopyOutcome::kFailed;
  reading.source.held.reset();
  std::fclose(file);
  switch (result) {
    case PcCopyOutcome::kDone:
      ++tally.files;
      tally.bytes += probe.facts ? probe.facts->length : 0;
      break;
    case PcCopyOutcome::kCancelled:
      ++tally.skipped;
      break;
    case PcCopyOutcome::kFailed:
    case PcCopyOutcome::kAborted:
      ++tally.failed;
      break;
  }
  return result;
}

// The source under its name, or under the name the replace prompt settles.
PcCopyOutcome PlaceOnVolume(Engine& ctx, MacFileSource& source, const std::string& shownPcName) {
  if (MacItemType(ctx, source.name) != MacItem::kAbsent) {
    switch (AskReplace(ctx, source.name, ctx.settings.copiedFileCount)) {
      case ReplaceAnswer::kCancelled:
        return PcCopyOutcome::kCancelled;
      case ReplaceAnswer::kNoFreeName:
        return PcCopyOutcome::kFailed;
      case ReplaceAnswer::kRenamed:
        break;
      case ReplaceAnswer::kReplace:
        const ReplaceResult replaced = ReplaceWithPcFile(ctx, source, shownPcName);
        TellReplace(ctx, replaced, shownPcName, source.name);
        switch (replaced.outcome) {
          case ReplaceOutcome::kReplaced:
            return PcCopyOutcome::kDone;
          case ReplaceOutcome::kCancelled:
            return PcCopyOutcome::kCancelled;
          case ReplaceOutcome::kNotWritten:
          case ReplaceOutcome::kOldItemKept:
          case ReplaceOutcome::kNotFlushed:
          case ReplaceOutcome::kChangeNotMade:
            return PcCopyOutcome::kFailed;
        }
    }
  }
  const FileWrite written = WriteFileToVolume(ctx, source, shownPcName, ctx.volume.current.currentDirId, 0);
  TellFileWrite(ctx, written, shownPcName, source.name);
  return written == FileWrite::kDone ? PcCopyOutcome::kDone : PcCopyOutcome::kFailed;
}

}  // namespace

ReplaceAnswer AskReplace(Engine& ctx, std::string& macName, std::uint32_t count) {
  const std::string text = ctx.messages[kMsgTheFile] + ConvertString(macName, MacToAnsi) +
                           ctx.messages[kMsgAlreadyExistsReplace];
  switch (ShowMessageBox(ctx, text, Buttons::kYesNoCancel, Stakes::kDestroys)) {
    case Answer::kCancel:
      return ReplaceAnswer::kCancelled;
    case Answer::kNo:
      if (std::optional<std::string> numbered = FreeNumberedName(ctx, macName, count)) {
        macName = *numbered;
        return ReplaceAnswer::kRenamed;
      }
      return ReplaceAnswer::kNoFreeName;
    case Answer::kYes:
    case Answer::kOk:
      break;
  }
  return ReplaceAnswer::kReplace;
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

PcCopyOutcome CopyFolderAt(Engine& ctx, const std::filesystem::path& pcDirectory, const std::string& name,
                           const std::optional<std::string>& typeCreator, int depth) {
  if (depth > kMaxFolderDepth) return PcCopyOutcome::kDone;
  const std::uint32_t savedId = ctx.volume.current.currentDirId;
  const MadeFolder made = MakeMacFolder(ctx, MacNameForPcName(name));
  if (made.status == FolderStatus::kFailed) return PcCopyOutcome::kFailed;
  const std::optional<CatalogRecord> folder = FindNamedRecord(ctx.volume.catalog, savedId, made.macName);
  // A file bears the name: the folder is skipped.
  if (!folder || folder->type != kDirectoryRecord) return PcCopyOutcome::kDone;
  if (!EnterDirectoryById(ctx, DirectoryId(*folder))) return PcCopyOutcome::kFailed;
  LogCd(ctx, made.macName);

  const std::filesystem::path here = pcDirectory / name;
  PcCopyOutcome result = PcCopyOutcome::kDone;
  const std::optional<std::vector<PcEntry>> entries = ListPcDirectory(ctx, here);
  const PartnerPlaces places = PartnerPlacesOf(here, entries ? &*entries : nullptr);
  for (const PcEntry& entry : entries.value_or(std::vector<PcEntry>{})) {
    if (PollAbort(ctx)) {
      result = PcCopyOutcome::kAborted;
      break;
    }
    if (HoldsPartnersOnly(*entries, entry)) continue;
    if (entry.directory) {
      if (entry.name.starts_with('.')) continue;
      result = CopyFolderAt(ctx, here, entry.name, typeCreator, depth + 1);
      if (result != PcCopyOutcome::kDone) break;
    } else {
      ++ctx.settings.copiedFileCount;
      CopyPcFileAt(ctx, places, here / entry.name, typeCreator);
    }
  }
  EnterDirectoryById(ctx, savedId);
  return entries ? result : PcCopyOutcome::kFailed;
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

// The listing, when at hand, tells which "._" files stand beside.
PartnerPlaces PartnerPlacesOf(const std::filesystem::path& directory, const std::vector<PcEntry>* listing) {
  std::optional<std::set<std::string>> besideNames;
  if (listing != nullptr) {
    besideNames.emplace();
    for (const PcEntry& entry : *listing) {
      if (!entry.directory && entry.name.starts_with(kAppleDoublePrefix)) besideNames->insert(entry.name);
    }
  }
  return FindPartnerPlaces(directory, std::move(besideNames));
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
