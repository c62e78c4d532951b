// Copying files and folders of the current Macintosh folder to the PC: into
// the PC current directory as the data fork, the resource fork, a
// MacBinary file (named .bin), a BinHex file (named .hqx), an AppleSingle
// file (named .as) or AppleDouble (the data fork named as a data copy is,
// the rest in "._" and that name beside it), as the copy mode says, or
// straight to an output port (AppleDouble: the data fork only). Text mode
// copies the data fork of a TEXT file as UTF-8 text (text_conversion.h),
// any other as data.
//
// Each file is named by the naming mode: long or short names (built as
// pc_file_name.h says, then logged "ANSI name\tPC name\r\n" and shown as
// "Copy of "%s" to "%s"" on the status line), or renamed on the fly in
// DLG_NOMD. When a file holds the name already, the start-up's --existing
// choice or else the user (DLG_EXIST, once per file, with answers for the
// rest of the command) says whether the copy replaces it, is skipped
// (counted as skipped), or keeps both. Keeping both numbers the copy: a
// long name becomes "NAME (1).ext", "NAME (2).ext" and so on, the first
// that is free, as file managers number copies; a short name takes the
// numbered extension of the copy count and, when that exists too, the next
// free number. A replacing copy is written under a hidden name beside the
// old file and renamed over it only once complete, so a copy that fails
// leaves the old file as it was. Renaming on the fly skips the file with
// "... already exists. Aborting the copy...". The PC file gets the Mac
// modification date as its local time, seconds included. A folder becomes
// a PC directory (an existing one is used) and is copied recursively; a
// folder whose directory cannot be made is skipped with a message, its
// contents with it; an empty folder still makes its directory and does not
// end the copy. Nothing is ever written through a symbolic link met in the
// target: a file or folder whose name a link (or, for a folder, a file)
// holds gets a numbered name instead.
//
// A copy holds what the fork's extents hold: a record that claims a longer
// fork (up to 4 GB on a damaged volume) is copied, MacBinary header
// included, with the length its extents give, and the user is told, in a
// message that also goes to an open log. Sectors within the extents that
// cannot be read become zeros, and the user is told how many bytes.
// A PC disk without room says "Not enough space on the PC disk.".
//
// A confirmed Esc ends the whole copy. The PC current directory never
// changes during a copy.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "base/big_endian.h"
#include "base/user_interface.h"
#include "transfer/pc_file_system.h"

namespace tarvo {

struct Engine;

// Asks the PC name of a file copied in renaming-on-the-fly mode, proposing
// one (Windows character set); nullopt on Cancel.
using PcNameQuestion = std::function<std::optional<std::string>(Engine& ctx, const std::string& proposal)>;

// What the copies of one command share: the PC disk's free space as known
// so far, the answer given for every later name clash, and the question
// that names a file when renaming on the fly.
struct PcCopyRun {
  PcFreeSpace space;
  std::optional<ExistingFileAction> existingForAll;
  PcNameQuestion askName;
};

// One command's copy: its run, and the folders met so far, so that a
// damaged catalog cannot loop.
struct CopyWalk {
  explicit CopyWalk(PcNameQuestion askName) { run.askName = std::move(askName); }

  std::set<std::uint32_t> foldersSeen;
  PcCopyRun run;
};

// Every item of the current folder whose name matches the pattern (Mac
// Roman; only the first match when it holds no '*' or '?'), folders included
// unless "files only" is set. 0 normally, 1 after an abort, -1 when no item
// matches.
int CopyMatchingItems(Engine& ctx, std::string_view pattern, const PcNameQuestion& askName);

// The item of exactly that name in the current folder (a listed name may
// hold '*' or '?') into the PC current directory: 0 normally, 1 after an
// abort, -1 when there is none.
int CopyNamedItem(Engine& ctx, CopyWalk& walk, std::string_view macName);

// One file (its catalog name and file record data, type byte first) into
// the directory, or to the output port. 0 when copied or skipped, -1 when
// the PC disk has not enough space.
int CopyFileToPc(Engine& ctx, PcCopyRun& run, const std::filesystem::path& dir, std::string_view macName,
                 ConstBytes fileRecord);

// The open PC file of one copied file.
struct PcFileDestination {
  std::FILE* file = nullptr;
  std::filesystem::path path;      // empty for a port
  std::string shownName;           // Windows character set
  std::filesystem::path replaces;  // the file it is renamed over once complete; empty for a new name
};

// Creates the PC file of a Mac file (its catalog name and file record data)
// in the directory under its long or short name as the naming mode says
// (renaming on the fly counts as long names), numbered when the name is
// taken and the answer is to keep both (a stand-in beside the file when it
// is to replace it); logs the name pair and shows "Copy of ..." on the
// status line. nullopt when the answer is to skip, or no free name was
// found (the user is told). An answer for all is kept in existingForAll.
std::optional<PcFileDestination> MakePcFileName(Engine& ctx, const std::filesystem::path& dir,
                                                std::string_view macName, ConstBytes fileRecord,
                                                std::optional<ExistingFileAction>& existingForAll);

}  // namespace tarvo
