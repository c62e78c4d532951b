// Deleting files and directories of the current directory, with wildcards
// and recursively.
//
// Names and patterns are Macintosh (Mac Roman) text; a pattern holds at
// most one '*' (name_order.h). A pattern without '*' deletes the one entry
// whose name equals it apart from the case of ASCII letters (so "cafe"
// never deletes "Caf\x8e"); with '*' every matching entry goes.
//
// A directory that is not empty that matched the pattern is deleted only
// when the caller's ConfirmNonEmpty allows it (delete_question.h asks the
// user); everything inside it then goes without another question.
//
// Deleting a file frees the blocks of both forks, its overflow extents
// included (their records leave the extents tree), so the bitmap and
// drFreeBks agree, and takes its thread record along (file_thread.h).
// The counters follow: the parent's valence, drFilCnt, drDirCnt, and
// drNmFls / drNmRtDirs in the root; bthNRecs is kept by the catalog
// deletion. Each deletion is logged: "*del NAME\r\n" for a file,
// "*rd NAME\r\n" for a directory (names in ANSI), and "*cd NAME\r\n" when a
// directory is entered to empty it. The caller flushes the volume.
//
// A deletion the catalog refuses (a damaged tree) stops the procedure with
// the entries deleted so far gone and the rest kept; a directory is never
// removed while entries remain in it.
#pragma once

#include <functional>
#include <string_view>

namespace tarvo {

struct Engine;

// Whether a directory that is not empty may go; none lets it go unasked.
using ConfirmNonEmpty = std::function<bool()>;

enum class DeleteStatus {
  kDone,       // at least one entry was deleted, and no failure
  kNotFound,   // no entry matched
  kCancelled,  // the user answered Cancel (entries deleted before stay deleted)
  kFailed,     // the catalog refused a deletion
};

DeleteStatus DeleteEntries(Engine& ctx, std::string_view pattern, const ConfirmNonEmpty& confirm);

// The entry `name` of the current directory, looked up whole ('*' is a
// plain character here).
DeleteStatus DeleteItem(Engine& ctx, std::string_view name, const ConfirmNonEmpty& confirm);

// The directory `name` of the current directory with everything in it, and
// the file `name`; no question, no log line of their own.
DeleteStatus DeleteDirectory(Engine& ctx, std::string_view name);
DeleteStatus DeleteFile(Engine& ctx, std::string_view name);

}  // namespace tarvo
