// Renaming files and directories of the current directory, with wildcards.
//
// Names and patterns are Macintosh (Mac Roman) text. A new name is cut to
// 31 characters. With '*' in the new name, each match keeps the part of
// its name after the pattern's prefix: "AB*" to "XY*" turns AB12 into XY12.
// Without '*' in the new name only the first match is renamed. When one
// side only holds '*' the caller is asked whether to go on first.
//
// The matches are listed before the first rename, so every entry is
// visited once even when its new name matches the pattern again. An entry
// whose new name equals its name is left alone. A new name that another
// entry of the directory already bears is refused for that entry (the caller
// is told and the others go on): no two entries ever share a name.
//
// A rename is a deletion and an insertion of the record under the new key
// (bthNRecs unchanged); the entry's thread record takes the new name too
// (a directory's always, a file's when it has one: file_thread.h).
// The nodes the insertion may need are reserved before the record is
// deleted: a catalog that cannot grow refuses the rename ("Error trying to
// extend catalog.") with the record and its name as they were, and is not
// logged. Each rename is logged "*ren OLD\tNEW\r\n" with the entry's own
// old name (not the pattern), in ANSI, so that the log can be replayed.
// The caller flushes the volume.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "hfs/catalog_insert.h"

namespace tarvo {

struct Engine;

enum class RenameStatus {
  kDone,       // at least one entry renamed, no failure
  kNotFound,   // nothing matched
  kUnchanged,  // every match bore its new name already
  kCancelled,
  kFailed,     // a name was taken, or the catalog could not be walked
  kNoRoom,     // the catalog could not grow: this entry and those after it kept their names
};

// What a rename asks its caller, and tells it.
struct RenameQuestions {
  // Whether to go on when one name only holds a wildcard.
  std::function<bool()> oneSidedWildcard;
  // An entry kept its name: another entry bears newName.
  std::function<void(std::string_view newName)> nameTaken;
};

RenameStatus RenameEntries(Engine& ctx, std::string_view pattern, std::string_view newName,
                           const RenameQuestions& ask);
// Renames the one entry named exactly oldName: '*' and '?' are characters
// of the names here (a selected row), never wildcards.
RenameStatus RenameEntry(Engine& ctx, std::string_view oldName, std::string_view newName,
                         const RenameQuestions& ask);

// The new name of an entry: newName, or with '*' in it, its text before
// the '*' followed by the characters of the old name after the pattern's
// prefix; at most 31 characters.
std::string RenamedName(std::string_view pattern, std::string_view newName, std::string_view oldName);

// Gives the entry (parentId, oldName) the key (parentId, newName), keeping
// its data.
CatalogEditStatus ReplaceRecordName(Engine& ctx, std::uint32_t parentId, std::string_view oldName,
                                    std::string_view newName);
// Writes name into the thread record of directory dirId.
bool SetThreadName(Engine& ctx, std::uint32_t dirId, std::string_view name);
// Writes the parent and the name into the thread record of directory dirId
// (a folder moved to another folder).
bool SetThreadParentAndName(Engine& ctx, std::uint32_t dirId, std::uint32_t parentId, std::string_view name);

}  // namespace tarvo
