// Moving a file or folder to another folder, under a new name or its own:
// what a rename across folders does.
//
// The record leaves (fromParent, fromName) and is inserted under (toParent,
// toName) with its data unchanged; the entry's thread takes the new parent
// and name (a folder's always, a file's when it has one: file_thread.h).
// The nodes the insertion may need are reserved first, so a catalog that
// cannot grow refuses the move with everything as it was. The counters
// follow: both folders' valences, and drNmFls / drNmRtDirs when the root
// is one of them. The caller settles a name the target folder already
// holds and flushes the volume.
#pragma once

#include <cstdint>
#include <string_view>

#include "hfs/catalog_insert.h"

namespace tarvo {

struct Engine;

enum class MoveStatus {
  kDone,
  kNotFound,    // no entry (fromParent, fromName), or toParent is no folder
  kExists,      // the target folder holds toName already
  kIntoItself,  // a folder would go into itself or one of its folders
  kNoRoom,      // the catalog could not grow; nothing changed
  kFailed,      // the catalog refused the change part way
};

MoveStatus MoveEntry(Engine& ctx, std::uint32_t fromParent, std::string_view fromName, std::uint32_t toParent,
                     std::string_view toName);

}  // namespace tarvo
