// Copying PC files and directory trees into the current folder of the
// volume: the loop of "Copy from PC to Mac", the typed MCOPY with an
// argument, and the pieces they share.
//
// PC names come from the system in UTF-8. A file's Mac name is its PC name
// in Mac Roman, as a folder's is (base/utf8.h: every Mac Roman character,
// composed or decomposed; '_' for what Mac Roman lacks), cut to 31
// characters, ':' (the Mac's path separator) as '_', and in mixed case
// when it came in capitals only (README.TXT becomes Readme.txt, ReadMe.TXT
// stays); names are shown and logged in ANSI. Patterns (UTF-8)
// match PC names the DOS way: '*' any characters, '?' one, letter case not
// counting, and a final ".*" also matching names without a dot ("*.*" is
// every name).
//
// The PC side is never made current: the walks carry the PC directory's
// path. Entries are taken in name order; "." names are skipped as folders;
// only regular files are copied (no devices or pipes); a folder tree is
// followed at most 64 levels deep.
//
// Each file is read through the reader its format bids for
// (pc_file_reader.h: AppleSingle, AppleDouble, BinHex, MacBinary, plain,
// the copy mode deciding between the last three) and written by the fork
// writer (write_file.h). filesOnly skips PC directories at the top level
// of a walk; "._" files whose partner is listed beside them, and
// "__MACOSX" folders, are not copied themselves.
//
// At the top level any result but kDone ends the walk; inside a PC
// directory a file's result does not, a folder's does. Files copied
// before a failure stay on the volume.
//
// Existing names: "The file NAME already exists. OK to replace it?" (Yes /
// No / Cancel). Yes replaces the existing item (replace_file.h): the old
// item goes only once the new file is written, even on a volume with room
// for the new file alone. No gives the new file the name with
// " (nnn)", nnn being copiedFileCount modulo 1000 (Letter becomes Letter
// (007)), the name cut so that the whole stays within 31 characters; when
// that name is taken too, the next free number is used. Nothing is ever
// replaced unasked.
//
// A PC file that cannot be opened or read: "Error opening file: NAME" /
// "Error reading file: NAME", and the copy goes on as for any failure.
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

// The replace prompt for macName (Mac Roman) in the current folder.
ReplaceAnswer AskReplace(Engine& ctx, std::string& macName, std::uint32_t count);

// The Mac name of a PC file name (UTF-8), in Mac Roman.
std::string MacNameForPcName(std::string_view pcName);
// Whether a PC name (UTF-8) matches a pattern (UTF-8), the DOS way.
bool MatchesPcPattern(std::string_view pcName, std::string_view pattern);

}  // namespace tarvo
