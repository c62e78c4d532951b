// A file of the mount written to the volume: its whole content, gathered
// on the PC, becomes the file's forks.
//
// The new forks go into free blocks first; only when both are on the
// volume does the old file (when there is one) leave the catalog and the
// new record take its name, with the old record's Finder information,
// flags and creation date. So a failure part way leaves the old file
// whole. The file gets a new catalog ID (its overflow extents are keyed by
// it). The blocks of the old file can be handed out again only after the
// flush that ends the update: a file rewritten on a volume without room
// for both is refused for space. A new file gets the type and creator its
// name's extension gives (type_creator.h) and the dates now.
//
// The catalog is changed in the work files; the caller flushes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace tarvo {

struct Context;

struct FileContent {
  std::FILE* data = nullptr;  // read from its start
  std::uint64_t dataLength = 0;
  // The resource fork's new content; nullptr keeps the file's own.
  std::FILE* resource = nullptr;
  std::uint64_t resourceLength = 0;
  std::optional<std::uint32_t> modified;  // Macintosh date; none: now
  std::string pcName;                     // for the type and creator of a new file
};

enum class CommitStatus {
  kDone,
  kIsFolder,      // the name is a folder's
  kNoSpace,       // not enough free blocks, or too scattered
  kNoId,          // no catalog ID left
  kCatalogFull,   // the catalog could not grow
  kFailed,        // a read or write failed; the volume keeps the old file
};

CommitStatus CommitFile(Context& ctx, std::uint32_t parentId, const std::string& macName, const FileContent& content);

}  // namespace tarvo
