// A file's thread record, kept in step with the file.
//
// Macintoshes give a file a thread record when a file ID reference is made
// to it: key (file ID, ""), type 4, naming the file's folder and the file,
// and bit 1 of the file record's filFlags set. Nothing here reads file
// threads, but an edit that deletes, renames or moves a file takes its
// thread along, in the same update, so no thread names a file that is gone
// or a name the file no longer bears. The thread is found by its key
// whatever the flag says.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tarvo {

struct Engine;

enum class FileThreadStatus {
  kDone,    // the thread was rewritten or deleted
  kAbsent,  // the file has no thread; nothing changed
  kFailed,  // the catalog refused the change, or the name is too long; nothing changed
};

// Gives the thread of file fileId the parent parentId and the name.
FileThreadStatus RewriteFileThread(Engine& ctx, std::uint32_t fileId, std::uint32_t parentId,
                                   std::string_view name);

// Deletes the threads of the files (bthNRecs -1 each), a catalog leaf at a
// time: kDone when one went, kAbsent when none of them has a thread.
FileThreadStatus DeleteFileThreads(Engine& ctx, std::vector<std::uint32_t> fileIds);

}  // namespace tarvo
