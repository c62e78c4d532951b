#include "transfer/copy_to_pc.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <vector>

#include "base/charset.h"
#include "base/engine.h"
#include "base/utf8.h"
#include "hfs/catalog_lookup.h"
#include "hfs/catalog_record.h"
#include "hfs/catalog_search.h"
#include "hfs/name_order.h"
#include "hfs/work_file.h"
#include "transfer/apple_single.h"
#include "transfer/binhex.h"
#include "transfer/macbinary.h"
#include "transfer/pc_file_name.h"
#include "transfer/pc_file_system.h"
#include "transfer/text_conversion.h"

namespace tarvo {

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kNumberedNames = 32768;
constexpr std::uint32_t kStandInNames = 100;
constexpr const char* kTextCannotCreateFolder = "Unable to create the directory ";
constexpr const char* kTextFolderSkipped = ": the folder is not copied.";
constexpr const char* kTextUnreadBytes = " bytes could not be read and were written as zeros.";

// An item of a Mac folder, copied out of the catalog node so that walking
// a sub-folder cannot disturb it.
struct CatalogItem {
  std::string name;  // Mac Roman
  std::uint8_t type = 0;
  std::vector<std::uint8_t> data;  // record data, type byte first
};

using Destination = PcFileDestination;

enum class WalkResult { kDone, kAborted };

std::vector<CatalogItem> ItemsOf(Engine& ctx, std::uint32_t parentId, std::string_view pattern, bool firstOnly);
std::vector<CatalogItem> NamedItem(Engine& ctx, std::uint32_t parentId, std::string_view name);
ItemCopy CopyItemsHere(Engine& ctx, CopyWalk& walk, const std::vector<CatalogItem>& items);
WalkResult CopyItems(Engine& ctx, CopyWalk& walk, const fs::path& dir, const std::vector<CatalogItem>& items,
                     bool skipFolders);
WalkResult CopyFolderToPc(Engine& ctx, CopyWalk& walk, const fs::path& parentDir, const CatalogItem& folder);
std::optional<fs::path> MakePcFolder(Engine& ctx, const fs::path& parentDir, std::string_view macName);
std::optional<Destination> OpenDestination(Engine& ctx, PcCopyRun& run, const fs::path& dir,
                                           std::string_view macName, ConstBytes record);
std::optional<Destination> RenameOnTheFly(Engine& ctx, const PcCopyRun& run, const fs::path& dir,
                                          std::string_view macName);
ExistingFileAction ExistingFileChoice(Engine& ctx, std::optional<ExistingFileAction>& forAll,
                                      const std::string& shownName);
std::FILE* CreateStandIn(const fs::path& target, bool shortName, fs::path& standIn);
ForkCopier ForkCopierFor(Engine& ctx, std::uint64_t& unreadBytes);
bool WriteContent(Engine& ctx, std::FILE* file, std::string_view macName, ConstBytes record,
                  std::uint64_t& unreadBytes);
bool WriteAppleDoublePartner(Engine& ctx, const fs::path& plain, std::string_view macName, ConstBytes record,
                             std::uint64_t& unreadBytes);
std::uint32_t HoldForkLength(Engine& ctx, Bytes record, std::uint8_t forkType);
void ReportOverclaim(Engine& ctx, std::string_view macName, std::uint8_t forkType, ConstBytes claimed,
                     ConstBytes held);
void Report(Engine& ctx, const std::string& text);
std::string Ansi(std::string_view macName) { return ConvertString(macName, MacToAnsi); }

}  // namespace

ItemCopy CopyNamedItem(Engine& ctx, CopyWalk& walk, std::string_view macName) {
  return CopyItemsHere(ctx, walk, NamedItem(ctx, ctx.volume.current.currentDirId, macName));
}

ItemCopy CopyMatchingItems(Engine& ctx, std::string_view pattern, const PcNameQuestion& askName) {
  const bool wildcard = HasWildcard(pattern);
  CopyWalk walk(askName);
  return CopyItemsHere(ctx, walk, ItemsOf(ctx, ctx.volume.current.currentDirId, pattern, !wildcard));
}

namespace {

ItemCopy CopyItemsHere(Engine& ctx, CopyWalk& walk, const std::vector<CatalogItem>& items) {
  if (items.empty()) return ItemCopy::kNoMatch;
  walk.foldersSeen.insert(ctx.volume.current.currentDirId);
  std::error_code error;
  const fs::path dir = fs::current_path(error);
  const bool filesOnly = (ctx.settings.modeFlags & kFilesOnly) != 0;
  const WalkResult walked = CopyItems(ctx, walk, error ? fs::path(".") : dir, items, filesOnly);
  return walked == WalkResult::kAborted ? ItemCopy::kAborted : ItemCopy::kDone;
}

}  // namespace

void CopyFileToPc(Engine& ctx, PcCopyRun& run, const fs::path& dir, std::string_view macName,
                 ConstBytes record) {
  const std::uint32_t dataLength = GetU32(record, filrec::filLgLen);
  const std::uint32_t resourceLength = GetU32(record, filrec::filRLgLen);
  // A damaged record may claim a fork longer than its extents, up to 4 GB:
  // the copy takes what the extents hold, under a record that says so.
  std::vector<std::uint8_t> held(record.begin(), record.end());
  const std::uint64_t heldBytes =
      std::uint64_t{HoldForkLength(ctx, held, kDataFork)} + HoldForkLength(ctx, held, kResourceFork);
  CopyTally& tally = ctx.settings.copies;
  if (ctx.settings.outputPort == 0 && !EnoughPcSpace(run.space, dir, heldBytes)) {
    MessageDialog(ctx, kTextPcDiskFull);
    ++tally.failed;
    return;
  }
  const std::uint16_t mode = ctx.settings.modeFlags;
  const bool bothForks = (mode & (kCopyMacBinary | kCopyBinHex | kCopyAppleSingle | kCopyAppleDouble)) != 0;
  if (!bothForks) {
    const bool resource = (mode & kCopyResource) != 0;
    if ((resource ? resourceLength : dataLength) == 0) {
      MessageDialog(ctx, FormatMessage(ctx.messages[resource ? kMsgNoResourceFork : kMsgNoDataFork], Ansi(macName)));
      ++tally.skipped;
      return;
    }
  }
  std::optional<Destination> out = OpenDestination(ctx, run, dir, macName, record);
  if (!out) {
    ++tally.skipped;
    return;
  }
  std::uint64_t unreadBytes = 0;
  bool written = WriteContent(ctx, out->file, macName, held, unreadBytes) &&
                 (ctx.settings.outputPort != 0 || SetPcFileDate(out->file, GetU32(record, filrec::filMdDat)));
  const long size = std::ftell(out->file);  // a port tells none
  int writeError = written ? 0 : errno;
  if (std::fclose(out->file) != 0 && written) {
    written = false;
    writeError = errno;
  }
  if (written && !out->replaces.empty()) {
    std::error_code renamed;
    fs::rename(out->path, out->replaces, renamed);
    if (renamed) {
      written = false;
      writeError = renamed.value();
    } else {
      out->path = out->replaces;
    }
  }
  if (!written) {
    // A partial file would pass for a copy: it goes (a replaced file stays).
    std::error_code error;
    if (!out->path.empty()) fs::remove(out->path, error);
    const std::string failure = kTextErrorWritingFile + out->shownName;
    ++tally.failed;
    MessageDialog(ctx, writeError == ENOSPC ? kTextPcDiskFull + (" " + failure) : failure);
    return;
  }
  ++tally.files;
  if (size > 0) tally.bytes += static_cast<std::uint64_t>(size);
  if ((mode & kCopyAppleDouble) && !out->path.empty() &&
      !WriteAppleDoublePartner(ctx, out->path, macName, held, unreadBytes)) {
    MessageDialog(ctx, kTextErrorWritingFile + (std::string(kAppleDoublePrefix) + out->shownName));
  }
  if (bothForks || (mode & kCopyResource)) ReportOverclaim(ctx, macName, kResourceFork, record, held);
  if (!(mode & kCopyResource)) ReportOverclaim(ctx, macName, kDataFork, record, held);
  if (unreadBytes > 0) {
    Report(ctx, ctx.messages[kMsgTheFile] + Ansi(macName) + ": " + std::to_string(unreadBytes) + kTextUnreadBytes);
  }
  }

std::optional<PcFileDestination> MakePcFileName(Engine& ctx, const fs::path& dir, std::string_view macName,
                                                ConstBytes record, std::optional<ExistingFileAction>& existingForAll) {
  LoadTypeCreatorFile(ctx);
  const bool shortNames = !ctx.settings.longNamesAvailable || ctx.settings.namingMode == NamingMode::kShort;
  std::string typeCreator(8, ' ');
  for (std::size_t i = 0; i < 8; ++i) typeCreator[i] = static_cast<char>(GetU8(record, filrec::fdType + i));
  std::string name = shortNames ? ShortPcFileName(macName, typeCreator, ctx.typeCreators)
                                : LongPcFileName(macName, typeCreator, ctx.typeCreators);
  // A packed copy is no file of its type: its extension tells the packing.
  if (ctx.settings.modeFlags & kCopyMacBinary) SetExtension(name, "bin");
  if (ctx.settings.modeFlags & kCopyBinHex) SetExtension(name, "hqx");
  if (ctx.settings.modeFlags & kCopyAppleSingle) SetExtension(name, "as");
  // A name taken already, unless the copy replaces or skips its file, is
  // numbered: a long one "NAME (n).ext", a short one by its extension from
  // the copy count on; never truncated.
  bool exists = false;
  Destination out;
  out.path = PcNameToPath(dir, name, shortNames);
  out.file = CreateNewPcFile(out.path, exists);
  std::error_code error;
  // Only a plain file is asked about: a link or a folder is never written
  // through or over, and the copy is numbered beside it.
  if (out.file == nullptr && exists && fs::is_regular_file(fs::symlink_status(out.path, error))) {
    switch (ExistingFileChoice(ctx, existingForAll, ShownPcName(name, shortNames))) {
      case ExistingFileAction::kSkip:
        return std::nullopt;
      case ExistingFileAction::kReplace:
        out.replaces = out.path;
        out.file = CreateStandIn(out.replaces, shortNames, out.path);
        exists = false;
        break;
      case ExistingFileAction::kKeepBoth:
        break;
    }
  }
  const std::string taken = name;
  for (std::uint32_t n = 0; out.file == nullptr && exists && n < kNumberedNames; ++n) {
    if (shortNames) {
      SetExtension(name, NumberedExtension(static_cast<std::uint16_t>(ctx.settings.copiedFileCount + n)));
    } else {
      name = NumberedLongName(taken, n + 1);
    }
    out.path = PcNameToPath(dir, name, shortNames);
    out.file = CreateNewPcFile(out.path, exists);
  }
  out.shownName = ShownPcName(name, shortNames);
  if (out.file == nullptr) {
    if (exists) {
      MessageDialog(ctx, out.shownName + ctx.messages[kMsgAlreadyExistsAbort]);
      return std::nullopt;
    }
    FatalError(ctx, kTextErrorOpeningFile + out.shownName);
  }
  std::string trimmed(TrimTrailingBlanks(macName.substr(std::min(macName.find_first_not_of(' '), macName.size()))));
  const std::string ansiName = Ansi(trimmed);
  if (IsLogOpen(ctx.log)) AppendLog(ctx.log, ansiName + "\t" + (shortNames ? name : out.shownName) + "\r\n");
  SetStatus(ctx, "", FormatMessage(ctx.messages[kMsgCopyOf], ansiName, out.shownName));
  return out;
}

namespace {

std::vector<CatalogItem> ItemsOf(Engine& ctx, std::uint32_t parentId, std::string_view pattern, bool firstOnly) {
  std::vector<CatalogItem> items;
  TreeWorkFile& catalog = ctx.volume.catalog;
  FoundRecord found = FindCatalogRecord(catalog, pattern, kWantEntry, parentId);
  TreeWalk walk = StartWalk(catalog);
  for (; found; found = NextLeafRecord(catalog, walk)) {
    const std::optional<CatalogRecord> record = ReadCatalogRecord(found.record);
    if (!record || record->key.parentId != parentId) break;
    if (record->type != kDirectoryRecord && record->type != kFileRecord) continue;
    if (record->key.name.empty() || MatchName(pattern, record->key.name) != 0) continue;
    items.push_back({record->key.name, record->type, {record->data.begin(), record->data.end()}});
    if (firstOnly) break;
  }
  return items;
}

std::vector<CatalogItem> NamedItem(Engine& ctx, std::uint32_t parentId, std::string_view name) {
  const std::optional<CatalogRecord> record = FindNamedRecord(ctx.volume.catalog, parentId, name);
  if (!record || (record->type != kDirectoryRecord && record->type != kFileRecord)) return {};
  return {{record->key.name, record->type, {record->data.begin(), record->data.end()}}};
}

WalkResult CopyItems(Engine& ctx, CopyWalk& walk, const fs::path& dir, const std::vector<CatalogItem>& items,
                     bool skipFolders) {
  for (const CatalogItem& item : items) {
    if (PollAbort(ctx)) return WalkResult::kAborted;
    if (item.type == kDirectoryRecord) {
      if (!skipFolders && CopyFolderToPc(ctx, walk, dir, item) == WalkResult::kAborted) return WalkResult::kAborted;
    } else {
      ++ctx.settings.copiedFileCount;
      CopyFileToPc(ctx, walk.run, dir, item.name, item.data);
    }
  }
  return WalkResult::kDone;
}

WalkResult CopyFolderToPc(Engine& ctx, CopyWalk& walk, const fs::path& parentDir, const CatalogItem& folder) {
  const std::uint32_t folderId = GetU32(folder.data, dirrec::dirDirID);
  if (!walk.foldersSeen.insert(folderId).second) return WalkResult::kDone;
  const std::optional<fs::path> dir = MakePcFolder(ctx, parentDir, folder.name);
  if (!dir) return WalkResult::kDone;
  return CopyItems(ctx, walk, *dir, ItemsOf(ctx, folderId, "*", false), false);
}

std::optional<fs::path> MakePcFolder(Engine& ctx, const fs::path& parentDir, std::string_view macName) {
  const bool longNames = ctx.settings.longNamesAvailable;
  std::string pcName = PcFolderName(macName, longNames);
  fs::path dir = PcNameToPath(parentDir, pcName, !longNames);
  const std::string displayName = Ansi(macName.substr(std::min(macName.find_first_not_of(' '), macName.size())));
  PcDirectory made = MakePcDirectory(dir);
  // A name taken by a file or a link is numbered, as a file's would be.
  const std::string taken = pcName;
  for (std::uint32_t n = 0; made == PcDirectory::kNameTaken && n < kNumberedNames; ++n) {
    if (longNames) {
      pcName = NumberedLongName(taken, n + 1);
    } else {
      SetExtension(pcName, NumberedExtension(static_cast<std::uint16_t>(ctx.settings.copiedFileCount + n)));
    }
    dir = PcNameToPath(parentDir, pcName, !longNames);
    made = MakePcDirectory(dir);
  }
  if (made != PcDirectory::kMade && made != PcDirectory::kExists) {
    MessageDialog(ctx, kTextCannotCreateFolder + ShownPcName(pcName, !longNames) + kTextFolderSkipped);
    return std::nullopt;
  }
  if (IsLogOpen(ctx.log)) {
    AppendLog(ctx.log, FormatMessage(ctx.messages[kMsgCopyingDirectory], displayName,
                                     longNames ? ShownPcName(pcName, false) : pcName) + "\r\n");
  }
  return dir;
}

std::optional<Destination> OpenDestination(Engine& ctx, PcCopyRun& run, const fs::path& dir,
                                           std::string_view macName, ConstBytes record) {
  const int port = ctx.settings.outputPort;
  if (port != 0) {
    Destination out{OpenOutputPort(port), {}, OutputPortName(port), {}};
    if (out.file == nullptr) FatalError(ctx, kTextErrorOpeningFile + out.shownName);
    return out;
  }
  if (ctx.settings.namingMode == NamingMode::kOnTheFly) return RenameOnTheFly(ctx, run, dir, macName);
  return MakePcFileName(ctx, dir, macName, record, run.existingForAll);
}

std::optional<Destination> RenameOnTheFly(Engine& ctx, const PcCopyRun& run, const fs::path& dir,
                                          std::string_view macName) {
  const std::optional<std::string> typed = run.askName(ctx, Ansi(macName));
  if (!typed) return std::nullopt;
  // Only the name and extension count: a drive or directory typed is dropped.
  const std::size_t cut = typed->find_last_of("/\\:");
  const std::string name = SafePcName(typed->substr(cut == std::string::npos ? 0 : cut + 1));
  bool exists = false;
  Destination out{nullptr, PcNameToPath(dir, AnsiToUtf8(name), false), name, {}};
  out.file = CreateNewPcFile(out.path, exists);
  if (out.file == nullptr) {
    if (exists) {
      MessageDialog(ctx, name + ctx.messages[kMsgAlreadyExistsAbort]);
      return std::nullopt;
    }
    FatalError(ctx, kTextErrorOpeningFile + name);
  }
  if (IsLogOpen(ctx.log)) AppendLog(ctx.log, std::string(macName) + "\t" + name + "\r\n");
  SetStatus(ctx, "", FormatMessage(ctx.messages[kMsgCopyOf], Ansi(macName), name));
  return out;
}

ExistingFileAction ExistingFileChoice(Engine& ctx, std::optional<ExistingFileAction>& forAll,
                                      const std::string& shownName) {
  if (ctx.settings.existingFiles) return *ctx.settings.existingFiles;
  if (forAll) return *forAll;
  const ExistingFileAnswer answer = ctx.ui->AskExistingFile(FormatMessage(kTextPcFileExists, shownName));
  if (answer.forAll) forAll = answer.action;
  return answer.action;
}

// A new file beside the target, to be renamed over it once whole: hidden,
// or a DOS name where only short names are made; nullptr when none can be
// made.
std::FILE* CreateStandIn(const fs::path& target, bool shortName, fs::path& standIn) {
  for (std::uint32_t n = 0; n < kStandInNames; ++n) {
    const std::string number = std::to_string(n);
    std::string name = shortName ? (n < 10 ? "~TARVO0" : "~TARVO") : ".";
    name += shortName ? number + ".TMP" : target.filename().string() + ".tarvo" + number;
    standIn = target.parent_path() / name;
    bool exists = false;
    if (std::FILE* file = CreateNewPcFile(standIn, exists)) return file;
    if (!exists) break;
  }
  return nullptr;
}

// The fork copy of the HFS engine; what it could not read becomes zeros,
// so the file keeps its length (and a MacBinary header stays true). The
// record's lengths are what the extents held when they were measured; an
// extents node that cannot be read this time ends the walk sooner.
ForkCopier ForkCopierFor(Engine& ctx, std::uint64_t& unreadBytes) {
  return [&ctx, &unreadBytes](ConstBytes extents, std::FILE* f, std::uint32_t fileId, std::uint32_t byteCount,
                              std::uint8_t forkType) {
    const ForkCopy copy = CopyForkToFile(ctx, extents, f, fileId, byteCount, forkType);
    if (copy.status == ForkCopyStatus::kPcFileError) return false;
    const std::uint32_t missing = byteCount - copy.copiedBytes;
    unreadBytes += std::uint64_t{copy.lostBytes} + missing;
    static constexpr std::array<std::uint8_t, 4096> kZeros{};
    for (std::uint32_t left = missing; left > 0;) {
      const std::size_t n = std::min<std::size_t>(left, kZeros.size());
      if (std::fwrite(kZeros.data(), 1, n, f) != n) return false;
      left -= static_cast<std::uint32_t>(n);
    }
    return true;
  };
}

bool WriteContent(Engine& ctx, std::FILE* file, std::string_view macName, ConstBytes record,
                  std::uint64_t& unreadBytes) {
  const ForkCopier copyFork = ForkCopierFor(ctx, unreadBytes);
  const std::uint16_t mode = ctx.settings.modeFlags;
  const std::uint32_t fileId = GetU32(record, filrec::filFlNum);
  if (mode & kCopyMacBinary) return WriteMacBinary(file, macName, record, copyFork);
  if (mode & kCopyBinHex) return WriteBinHex(file, macName, record, copyFork);
  if (mode & kCopyAppleSingle) return WriteAppleFile(file, AppleFileKind::kSingle, macName, record, copyFork);
  if (mode & kCopyResource) {
    return copyFork(record.subspan(filrec::filRExtRec, kExtentRecordSize), file, fileId,
                    GetU32(record, filrec::filRLgLen), kResourceFork);
  }
  const ConstBytes dataExtents = record.subspan(filrec::filExtRec, kExtentRecordSize);
  const ConstBytes type = record.subspan(filrec::fdType, 4);
  if ((mode & kCopyText) && std::string(type.begin(), type.end()) == "TEXT") {
    // The fork copy writes a file, which the conversion then reads.
    std::FILE* fork = std::tmpfile();
    const bool copied = fork != nullptr &&
                        copyFork(dataExtents, fork, fileId, GetU32(record, filrec::filLgLen), kDataFork) &&
                        std::fflush(fork) == 0 && MacTextToPcText(fork, file);
    if (fork != nullptr) std::fclose(fork);
    return copied;
  }
  return copyFork(dataExtents, file, fileId, GetU32(record, filrec::filLgLen), kDataFork);
}

// The "._" file beside the plain copy of AppleDouble. One there already
// belonged to no file, the plain name being new: it is replaced.
bool WriteAppleDoublePartner(Engine& ctx, const fs::path& plain, std::string_view macName, ConstBytes record,
                             std::uint64_t& unreadBytes) {
  const fs::path path = plain.parent_path() / (std::string(kAppleDoublePrefix) + plain.filename().string());
  bool exists = false;
  std::error_code error;
  std::FILE* file = CreateNewPcFile(path, exists);
  if (file == nullptr && exists && !fs::is_directory(fs::symlink_status(path, error)) && fs::remove(path, error)) {
    file = CreateNewPcFile(path, exists);
  }
  if (file == nullptr) return false;
  bool written = WriteAppleFile(file, AppleFileKind::kDouble, macName, record, ForkCopierFor(ctx, unreadBytes)) &&
                 SetPcFileDate(file, GetU32(record, filrec::filMdDat));
  if (std::fclose(file) != 0) written = false;
  if (!written) fs::remove(path, error);
  return written;
}

// Cuts the record's logical length of the fork to what its extents hold;
// returns that length.
std::uint32_t HoldForkLength(Engine& ctx, Bytes record, std::uint8_t forkType) {
  const bool data = forkType == kDataFork;
  const std::size_t lengthField = data ? filrec::filLgLen : filrec::filRLgLen;
  const ConstBytes extents = ConstBytes(record).subspan(data ? filrec::filExtRec : filrec::filRExtRec,
                                                         kExtentRecordSize);
  const std::uint32_t held =
      ForkBytesHeld(ctx, extents, GetU32(record, filrec::filFlNum), GetU32(record, lengthField), forkType);
  PutU32(record, lengthField, held);
  return held;
}

// Tells of a fork whose record claims more than its extents hold.
void ReportOverclaim(Engine& ctx, std::string_view macName, std::uint8_t forkType, ConstBytes claimed,
                     ConstBytes held) {
  const std::size_t lengthField = forkType == kDataFork ? filrec::filLgLen : filrec::filRLgLen;
  const std::uint32_t claimedLength = GetU32(claimed, lengthField);
  const std::uint32_t heldLength = GetU32(held, lengthField);
  if (claimedLength == heldLength) return;
  Report(ctx, ctx.messages[kMsgTheFile] + Ansi(macName) + ": its " + (forkType == kDataFork ? "data" : "resource") +
                  " fork claims " + std::to_string(claimedLength) + " bytes, but its extents hold only " +
                  std::to_string(heldLength) + "; the copy holds those.");
}

// A message that the log keeps even when the user closes it.
void Report(Engine& ctx, const std::string& text) {
  if (MessageDialog(ctx, text) != -1 && IsLogOpen(ctx.log)) AppendLog(ctx.log, "#" + text + "\n");
}

}  // namespace

}  // namespace tarvo
