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
// CopyMode (the settings' flags): MacBinary unpacks each file (type and
// creator from its header, and its name: the replace prompt asks about
// the name the file will really get); BinHex does the same with a BinHex
// file, dated as the PC file, and refuses one whose CRCs do not match or
// that is cut short ("The file NAME was not copied: ..."); Text converts a
// file whose extension gives type TEXT, when it is UTF-8 text, into Mac
// text (text_conversion.h), dated as the PC file; Resource puts the content into the
// resource fork; otherwise the data fork, with the type and creator of
// the extension (type_creator.h). filesOnly skips PC directories at the
// top level of a walk.
//
// Whatever the mode, an AppleSingle file, and a file with its AppleDouble
// "._" partner (beside it, or in a "__MACOSX" folder above it at the same
// place below), are unpacked as MacBinary files are: both forks, name
// (AppleSingle), type, creator, Finder flags and dates (the PC file's
// when none are held). A damaged AppleSingle file is refused as a damaged
// BinHex file is; with a damaged partner the plain file is copied alone,
// after a message. A "._" file whose partner is listed beside it, and
// "__MACOSX" folders, are not copied themselves.
//
// Results: 0 done (copied or skipped), -1 a failure (the message was
// shown), 1 the user aborted with Esc, kCopyCancelled the user answered
// Cancel to the replace prompt. At the top level any non-zero result ends
// the walk; inside a PC directory a file's result does not, a folder's
// does. Files copied before a failure stay on the volume.
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

inline constexpr int kCopyCancelled = 0xFFFF;

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
// reported). Returns the result of the copy.
int CopyPcToMac(Engine& ctx, const PcToMacRequest& request);

// MCOPY with an argument: the PC files and directories of the PC's current
// directory that match pattern, copied as "All Files" copies.
int CopyPcMatches(Engine& ctx, std::string_view pattern);

int CopyPcItems(Engine& ctx, const std::filesystem::path& pcDirectory, std::string_view pattern,
                const std::optional<std::string>& typeCreator);
int CopyPcFolder(Engine& ctx, const std::filesystem::path& pcDirectory, const std::string& name,
                 const std::optional<std::string>& typeCreator);
int CopyPcFile(Engine& ctx, const std::filesystem::path& pcPath, const std::optional<std::string>& typeCreator);

// The replace prompt for macName (Mac Roman) in the current folder: Yes
// sets `replace`; on No// macName becomes the free numbered name. 0, -1 or kCopyCancelled.
int AskReplace(Engine& ctx, std::string& macName, std::uint32_t count, bool& replace);

// The Mac name of a PC file name (UTF-8), in Mac Roman.
std::string MacNameForPcName(std::string_view pcName);
// Whether a PC name (UTF-8) matches a pattern (UTF-8), the DOS way.
bool MatchesPcPattern(std::string_view pcName, std::string_view pattern);

}  // namespace tarvo
