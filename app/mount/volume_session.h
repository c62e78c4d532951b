// The mounted volume as a file system: paths resolved through the folder
// cache, the FUSE operations carried out by the engine's own catalog,
// allocation and flush code. Every result is 0 (or a byte count) or a
// negated errno, as FUSE takes it.
//
// A written file goes to the volume when it is closed (its content into
// free blocks, its record into the work files), on fsync, after a short
// idle time and at the unmount. A created file gets its catalog record
// then, once, and not an empty one at its creation: until then it is
// known from its open content. The changes stay in the work files until a
// flush, which writes them as one update of the medium, all or nothing
// (flush.h): on fsync, once the mount has been idle for a moment (or
// changes have waited a few seconds), and at the unmount. A flush per
// closed file would cost a journal and a synchronisation of the medium for
// each, which makes a copy of many small files a hundred times slower.
// A failed flush takes the change back, the engine reads the volume again,
// and the operation that asked for it fails with EIO.
//
// With -o rsrc a file's resource fork is also the file NAME:rsrc beside
// it (mount_names.h), read, written and cut as the data fork is; listings
// do not show it, and it cannot be deleted or renamed.
//
// Names that cannot be stored are refused with ENAMETOOLONG (over 31
// characters) or EINVAL (':'), and told on standard error in the
// foreground.
#pragma once

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/big_endian.h"
#include "folder_cache.h"
#include "open_file.h"

namespace tarvo {

struct Context;

// The largest read or write the kernel sends in one request: 1 MB.
inline constexpr unsigned kLargestRequest = 1u << 20;

struct ListedName {
  std::string name;
  struct stat attributes;
};

class VolumeSession {
 public:
  VolumeSession(Context& ctx, bool readOnly, bool resourcePaths);

  int GetAttributes(const std::string& path, struct stat& out);
  int List(const std::string& path, std::vector<ListedName>& out);
  int StatFs(struct statvfs& out);

  // open, create and release; a handle is the shared content of the file.
  int Open(const std::string& path, bool forWriting, bool truncate, ForkHandle& handle);
  int Create(const std::string& path, ForkHandle& handle);
  // close() of one handle: what was written goes to the volume.
  int Close(OpenFile& file);
  int Release(OpenFile& file);
  int Sync(OpenFile* file);

  long Read(const ForkHandle& handle, char* buffer, std::size_t size, off_t offset);
  long Write(const ForkHandle& handle, const char* buffer, std::size_t size, off_t offset);
  // By its handle when it has one, else by its path.
  int Truncate(const std::string& path, const ForkHandle* handle, off_t size);

  int MakeFolder(const std::string& path);
  int RemoveFolder(const std::string& path);
  int RemoveFile(const std::string& path);
  int Rename(const std::string& from, const std::string& to, unsigned flags);
  // The modification date; none leaves it.
  int SetModified(const std::string& path, std::optional<std::time_t> modified);

  int GetAttribute(const std::string& path, const std::string& name, char* buffer, std::size_t size);
  int SetAttribute(const std::string& path, const std::string& name, const char* value, std::size_t size,
                   int flags);
  int ListAttributes(const std::string& path, char* buffer, std::size_t size);
  int RemoveAttribute(const std::string& path, const std::string& name);

  // Writes what is waiting when nothing happened for `idle`, or when a
  // change has waited for `longest`.
  void FlushWhenIdle(std::chrono::milliseconds idle, std::chrono::milliseconds longest);
  // Writes every written file and every change.
  int FlushAll();
  // The unmount: FlushAll, remembered.
  void Unmount() { unmountResult_ = FlushAll(); }
  // The unmount's result: 0 when it wrote everything; none before it.
  std::optional<int> unmountResult() const { return unmountResult_; }

 private:
  struct Resolved {
    int error = 0;  // 0, or why the path names no entry
    std::uint32_t parentId = 0;  // the folder that holds (or would hold) it; 0 when none does
    std::string macName;
    std::string shownName;  // the last component as given
    std::optional<CatalogEntry> entry;
    bool resource = false;  // the path names the entry's resource fork
  };
  Resolved Resolve(const std::string& path);
  // A path for a new entry: its folder exists, the name fits.
  int NewEntryName(Resolved& where);
  int Writable() const;
  // The entry changed in the work files: a flush is due.
  void Changed(std::uint32_t parentId, std::string_view macName);
  int LoadContent(OpenFile& file);
  // The file's resource fork into `resource`, read when it is not there.
  int LoadResource(OpenFile& file);
  int ReadResource(const CatalogEntry& entry, std::vector<std::uint8_t>& out);
  // Sets the resource fork's length, for a write or a truncation; both
  // forks are then on the PC, to go to the volume together.
  int ResizeResource(OpenFile& file, std::uint64_t size);
  int Commit(OpenFile& file);
  int Flush();
  int CommitAndFlush(OpenFile& file);
  // Deletes the file's catalog record and frees its blocks.
  int DeleteRecord(std::uint32_t parentId, const std::string& macName);
  // A file deleted while open, which libfuse renames to a hidden name
  // until its last release: it leaves the volume now, and the hidden name
  // reaches its content (a copy: its blocks are free) until then. So
  // nothing of it stays on the volume, in its folder or after a crash.
  int Hide(OpenFile& file, const Resolved& hidden);
  // Rewrites the file's catalog record in place; false when it is gone.
  bool EditRecord(std::uint32_t parentId, const std::string& macName,
                  const std::function<void(std::uint8_t type, Bytes data)>& edit);
  // Gives the file a new resource fork.
  int SetResource(const Resolved& where, std::vector<std::uint8_t> resource);
  void FillAttributes(const CatalogEntry& entry, struct stat& out);

  Context& ctx_;
  bool readOnly_;
  bool resourcePaths_;
  // The owner every entry shows: the mount's own user.
  uid_t uid_;
  gid_t gid_;
  FolderCache folders_;
  OpenFiles open_;
  bool pending_ = false;  // changes in the work files not yet flushed
  std::optional<int> unmountResult_;
  // Inode numbers of created files not yet recorded: above every catalog ID.
  std::uint64_t nextInode_ = std::uint64_t{1} << 32;
  std::chrono::steady_clock::time_point lastChange_, firstPending_;
};

}  // namespace tarvo
