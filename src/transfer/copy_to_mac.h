// Copying PC files and directory trees into the current folder of the
// volume: the loop of "Copy from PC to Mac", MCOPY with an argument, and the
// pieces they share. How names, masks and name clashes behave is told in the
// user help.
//
// Each file is read through the reader its format bids for
// (pc_file_reader.h) and written by the fork writer (write_file.h). The PC
// side is never made current: the walks carry the PC directory's path, and
// a tree is followed at most 64 levels deep. Nothing is replaced unasked,
// and a replaced item goes only once the new file is written (replace_file.h).
//
// Failures are told to the user as they happen. At the top level any
// outcome but kDone ends the walk; inside a PC directory a file's does not,
// a folder's does. Files copied before a failure stay on the volume.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo {

struct Engine;

enum class PcCopyOutcome {
  kDone,       // copied, or passed over
  kFailed,     // the user was told why
  kAborted,    // the user hit Esc
  kCancelled,  // the user answered Cancel to the replace prompt
};

// What the "Copy PC -> Mac" dialog's three buttons hand to the copy.
struct PcToMacRequest {
  enum class Source { kSelection, kAllFiles, kDirectory };
  Source source = Source::kAllFiles;
  std::filesystem::path pcDirectory;  // the directory the lists show
  std::vector<std::string> names;     // the selected files, or the directory (UTF-8)
  std::string pattern = "*.*";        // "All Files" (UTF-8)
  // Told the index of each selected file copied without failure, so the
  // dialog can deselect it.
  std::function<void(std::size_t)> copied;
};

// The loop of "Copy from PC to Mac": no drive: "Select drive in the 'Mac
// Drive' menu"; otherwise "PC->Mac\n" in the log, the type/creator file
// loaded, the bitmap loaded, the copy, and the flush (a failing one is
// reported).
PcCopyOutcome CopyPcToMac(Engine& ctx, const PcToMacRequest& request);

// MCOPY with an argument: the PC files and directories of the PC's current
// directory that match pattern, copied as "All Files" copies.
PcCopyOutcome CopyPcMatches(Engine& ctx, std::string_view pattern);

PcCopyOutcome CopyPcItems(Engine& ctx, const std::filesystem::path& pcDirectory, std::string_view pattern,
                          const std::optional<std::string>& typeCreator);
PcCopyOutcome CopyPcFile(Engine& ctx, const std::filesystem::path& pcPath,
                         const std::optional<std::string>& typeCreator);

enum class ReplaceAnswer {
  kReplace,     // Yes
  kRenamed,     // No: macName became the free numbered name
  kCancelled,   // Cancel
  kNoFreeName,  // No, and no numbered name is free
};

// The replace prompt for macName (Mac Roman) in the current folder; No
// numbers the name from count (" (nnn)", within 31 characters).
ReplaceAnswer AskReplace(Engine& ctx, std::string& macName, std::uint32_t count);

// The Mac name of a PC file name (UTF-8), in Mac Roman: at most 31
// characters, ':' as '_', a name in capitals only in mixed case.
std::string MacNameForPcName(std::string_view pcName);
// Whether a PC name (UTF-8) matches a pattern (UTF-8), the DOS way: letter
// case does not count, and a final ".*" also matches names without a dot.
bool MatchesPcPattern(std::string_view pcName, std::string_view pattern);

}  // namespace tarvo
