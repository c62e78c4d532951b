// Copying files and folders of the current Macintosh folder to the PC: into
// the PC current directory, or straight to an output port, in the form the
// copy mode says; folders become PC directories, copied recursively. The
// forms, the naming modes and the answers to a name clash are told in the
// user help; names are built as pc_file_name.h says.
//
// A caller may rely on: the PC current directory never changes; a replacing
// copy takes the old file's place only once complete, so a copy that fails
// leaves it as it was; nothing is written through a symbolic link met in the
// target (the copy gets a numbered name instead); a copy holds what the
// fork's extents hold, unreadable sectors as zeros, and the user (and an
// open log) is told of any shortfall. A confirmed Esc ends the whole copy.
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

// How a copy of items into the PC current directory ended.
enum class ItemCopy { kDone, kAborted, kNoMatch };

// Every item of the current folder whose name matches the pattern (Mac
// Roman; only the first match when it holds no '*' or '?'), folders included
// unless "files only" is set.
ItemCopy CopyMatchingItems(Engine& ctx, std::string_view pattern, const PcNameQuestion& askName);

// The item of exactly that name in the current folder (a listed name may
// hold '*' or '?') into the PC current directory.
ItemCopy CopyNamedItem(Engine& ctx, CopyWalk& walk, std::string_view macName);

// One file (its catalog name and file record data, type byte first) into
// the directory, or to the output port; the copy tally counts how it went.
void CopyFileToPc(Engine& ctx, PcCopyRun& run, const std::filesystem::path& dir, std::string_view macName,
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
