#include "volume_session.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "base/charset.h"
#include "base/utf8.h"
#include "file_commit.h"
#include "hfs/catalog_lookup.h"
#include "hfs/delete_entries.h"
#include "hfs/flush.h"
#include "hfs/mac_date.h"
#include "hfs/move_entry.h"
#include "hfs/name_order.h"
#include "hfs/navigation.h"
#include "hfs/volume_counters.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"
#include "mount_names.h"
#include "transfer/mac_folder.h"
#include "ui/context.h"

namespace tarvo {

namespace {

// The path's components; "/" has none.
std::vector<std::string> Components(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start < path.size()) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// Inode numbers of resource fork paths: the file's catalog ID above this,
// and above the numbers created files get.
constexpr std::uint64_t kResourceInodes = std::uint64_t{1} << 40;

// The names libfuse gives a file deleted while open (.fuse_hiddenXXXXXXXXYYYYYYYY).
constexpr std::string_view kHiddenPrefix = ".fuse_hidden";

int CommitError(CommitStatus status) {
  switch (status) {
    case CommitStatus::kDone:
      return 0;
    case CommitStatus::kIsFolder:
      return -EISDIR;
    case CommitStatus::kNoSpace:
    case CommitStatus::kNoId:
    case CommitStatus::kCatalogFull:
      return -ENOSPC;
    case CommitStatus::kFailed:
      break;
  }
  return -EIO;
}

}  // namespace

VolumeSession::VolumeSession(Context& ctx, bool readOnly, bool resourcePaths)
    : ctx_(ctx),
      readOnly_(readOnly),
      resourcePaths_(resourcePaths),
      uid_(::getuid()),
      gid_(::getgid()),
      folders_(ctx),
      lastChange_(std::chrono::steady_clock::now()) {}

VolumeSession::Resolved VolumeSession::Resolve(const std::string& path) {
  Resolved where;
  const std::vector<std::string> parts = Components(path);
  if (parts.empty()) {
    const CatalogEntry* root = folders_.Root();
    if (root == nullptr) {
      where.error = -EIO;
      return where;
    }
    where.parentId = kRootParentId;
    where.macName = root->macName;
    where.entry = *root;
    return where;
  }
  std::uint32_t folder = kRootDirId;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::string macName = LookupName(parts[i]);
    const CatalogEntry* entry = folders_.Find(folder, macName);
    if (i + 1 == parts.size()) {
      where.parentId = folder;
      where.macName = entry ? entry->macName : macName;
      where.shownName = parts[i];
      const std::optional<std::string_view> owner = resourcePaths_ ? ResourcePathOwner(parts[i]) : std::nullopt;
      if (!entry && owner) {
        Resolved file = Resolve(path.substr(0, path.size() - parts[i].size() + owner->size()));
        if (file.error == 0 && !file.resource && !file.entry->directory) {
          file.resource = true;
          return file;
        }
      }
      if (entry) {
        where.entry = *entry;
      } else if (const OpenFile* created = open_.Find(folder, macName);
                 created && (!created->recorded || created->deleted)) {
        where.macName = created->macName;
        where.entry = CatalogEntry{};
        where.entry->macName = created->macName;
        where.entry->parentId = folder;
        where.entry->created = where.entry->modified = MacNow();
      } else {
        where.error = -ENOENT;
      }
      return where;
    }
    if (!entry) {
      where.error = -ENOENT;
      return where;
    }
    if (!entry->directory) {
      where.error = -ENOTDIR;
      return where;
    }
    folder = entry->id;
  }
  return where;
}

int VolumeSession::NewEntryName(Resolved& where) {
  if (where.parentId == 0) return -ENOENT;
  switch (NewMacName(where.shownName, where.macName)) {
    case NameFit::kFits:
      return 0;
    case NameFit::kTooLong:
      MessageDialog(ctx_, FormatMessage(kTextNameTooLong, Utf8ToAnsi(where.shownName)));
      return -ENAMETOOLONG;
    case NameFit::kHasColon:
      MessageDialog(ctx_, FormatMessage(kTextNameWithColon, Utf8ToAnsi(where.shownName)));
      return -EINVAL;
  }
  return -EINVAL;
}

int VolumeSession::Writable() const { return readOnly_ ? -EROFS : 0; }

void VolumeSession::Changed(std::uint32_t parentId, std::string_view macName) {
  folders_.Update(parentId, macName);
  lastChange_ = std::chrono::steady_clock::now();
  if (!pending_) firstPending_ = lastChange_;
  pending_ = true;
}

void VolumeSession::FillAttributes(const CatalogEntry& entry, struct stat& out) {
  out = {};
  out.st_ino = entry.id;
  out.st_uid = uid_;
  out.st_gid = gid_;
  // The size programs such as cp read and write in: requests as large as
  // the kernel sends, rather than one allocation block's worth each.
  out.st_blksize = kLargestRequest;
  const std::time_t modified = MacDateToPcTime(entry.modified);
  out.st_mtim.tv_sec = out.st_ctim.tv_sec = out.st_atim.tv_sec = modified;
  if (entry.directory) {
    out.st_mode = S_IFDIR | (readOnly_ ? 0555 : 0755);
    out.st_nlink = 2;
    return;
  }
  out.st_mode = S_IFREG | (readOnly_ || entry.locked ? 0444 : 0644);
  out.st_nlink = 1;
  out.st_size = entry.dataLength;
  out.st_blocks = (std::uint64_t{entry.dataPhysical} + entry.resourcePhysical) / 512;
  if (const OpenFile* open = open_.Find(entry.parentId, entry.macName); open && open->data) {
    out.st_size = static_cast<off_t>(open->data->size());
    if (open->dirty) out.st_mtim.tv_sec = out.st_ctim.tv_sec = std::time(nullptr);
    if (!open->recorded) out.st_ino = open->inode;
  }
}

int VolumeSession::GetAttributes(const std::string& path, struct stat& out) {
  const Resolved where = Resolve(path);
  if (where.error != 0) return where.error;
  FillAttributes(*where.entry, out);
  if (where.resource) {
    // An inode of its own: programs take two paths of one inode for one file.
    out.st_ino = kResourceInodes + where.entry->id;
    out.st_size = where.entry->resourceLength;
    out.st_blocks = where.entry->resourcePhysical / 512;
    if (const OpenFile* open = open_.Find(where.parentId, where.macName); open && open->resource) {
      out.st_size = static_cast<off_t>(open->resource->size());
    }
  }
  return 0;
}

int VolumeSession::List(const std::string& path, std::vector<ListedName>& out) {
  const Resolved where = Resolve(path);
  if (where.error != 0) return where.error;
  if (!where.entry->directory) return -ENOTDIR;
  // Created files the folder has are listed from their records.
  for (OpenFile* file : open_.Dirty()) {
    if (!file->recorded && file->parentId == where.entry->id) Commit(*file);
  }
  const std::vector<CatalogEntry>* listing = folders_.Listing(where.entry->id);
  if (listing == nullptr) return -EIO;
  out.reserve(listing->size());
  for (const CatalogEntry& entry : *listing) {
    ListedName& named = out.emplace_back();
    named.name = ShownName(entry.macName);
    FillAttributes(entry, named.attributes);
  }
  return 0;
}

int VolumeSession::StatFs(struct statvfs& out) {
  const auto& mdb = ctx_.volume.mdb;
  out = {};
  out.f_bsize = out.f_frsize = ctx_.volume.allocBlockSize;
  out.f_blocks = GetU16(mdb, mdb::drNmAlBlks);
  out.f_bfree = out.f_bavail = GetU16(mdb, mdb::drFreeBks);
  const std::uint32_t next = GetU32(mdb, mdb::drNxtCNID);
  out.f_files = std::uint64_t{GetU32(mdb, mdb::drFilCnt)} + GetU32(mdb, mdb::drDirCnt);
  out.f_ffree = out.f_favail = next <= kLastNewCatalogId ? kLastNewCatalogId - next + 1 : 0;
  out.f_namemax = kMaxNameLength;
  out.f_flag = readOnly_ ? ST_RDONLY : 0;
  return 0;
}

int VolumeSession::LoadContent(OpenFile& file) {
  if (file.data != nullptr) return 0;
  const CatalogEntry* entry = folders_.Find(file.parentId, file.macName);
  const std::uint32_t length = entry ? entry->dataLength : 0;
  if (length == 0) {
    file.data = std::make_unique<FileBytes>(ctx_);
    return 0;
  }
  std::FILE* copied = MakeTempFile(ctx_, "MNT", length);
  const ForkCopy copy = CopyForkToFile(ctx_, entry->dataExtents, copied, entry->id, length, kDataFork);
  if (std::fflush(copied) != 0 || copy.status != ForkCopyStatus::kComplete || copy.lostBytes != 0) {
    std::fclose(copied);
    return -EIO;
  }
  file.data = std::make_unique<FileBytes>(ctx_, copied, length);
  return 0;
}

int VolumeSession::Open(const std::string& path, bool forWriting, bool truncate, ForkHandle& handle) {
  const Resolved where = Resolve(path);
  if (where.error != 0) return where.error;
  if (where.entry->directory) return -EISDIR;
  if (forWriting || truncate) {
    if (const int refused = Writable(); refused != 0) return refused;
    if (where.entry->locked) return -EACCES;
  }
  OpenFile& file = open_.Take(where.parentId, where.macName);
  ++file.opens;
  handle.file = &file;
  handle.resource = where.resource;
  if (truncate && where.resource) return ResizeResource(file, 0);
  if (truncate) {
    // The old content is not read only to be cut away.
    if (file.data == nullptr) file.data = std::make_unique<FileBytes>(ctx_);
    if (const int cut = file.data->Resize(0); cut != 0) return cut;
    file.dirty = true;
  }
  return 0;
}

int VolumeSession::Create(const std::string& path, ForkHandle& handle) {
  Resolved where = Resolve(path);
  // Made by another open since the kernel looked.
  if (where.error == 0) return Open(path, true, false, handle);
  if (where.error != -ENOENT) return where.error;
  if (const int refused = Writable(); refused != 0) return refused;
  if (const int named = NewEntryName(where); named != 0) return named;
  // Recorded when first written to the volume, with its content.
  OpenFile& file = open_.Take(where.parentId, where.macName);
  file.data = std::make_unique<FileBytes>(ctx_);
  file.dirty = true;
  file.recorded = false;
  file.inode = nextInode_++;
  lastChange_ = std::chrono::steady_clock::now();
  ++file.opens;
  handle.file = &file;
  return 0;
}

long VolumeSession::Read(const ForkHandle& handle, char* buffer, std::size_t size, off_t offset) {
  OpenFile& file = *handle.file;
  if (handle.resource) {
    if (const int loaded = LoadResource(file); loaded != 0) return loaded;
    const std::vector<std::uint8_t>& fork = *file.resource;
    if (static_cast<std::uint64_t>(offset) >= fork.size()) return 0;
    const std::size_t count = std::min<std::size_t>(size, fork.size() - static_cast<std::size_t>(offset));
    std::copy_n(fork.begin() + offset, count, buffer);
    return static_cast<long>(count);
  }
  if (file.data == nullptr) {
    if (!file.reader) {
      const CatalogEntry* entry = folders_.Find(file.parentId, file.macName);
      if (entry == nullptr) return -ENOENT;
      file.reader = std::make_unique<ForkReader>(ctx_, *entry);
    }
    return file.reader->Read(ctx_, buffer, size, offset);
  }
  return file.data->Read(buffer, size, static_cast<std::uint64_t>(offset));
}

long VolumeSession::Write(const ForkHandle& handle, const char* buffer, std::size_t size, off_t offset) {
  if (const int refused = Writable(); refused != 0) return refused;
  if (static_cast<std::uint64_t>(offset) + size > 0xFFFFFFFFu) return -EFBIG;
  OpenFile& file = *handle.file;
  if (handle.resource) {
    if (const int loaded = LoadResource(file); loaded != 0) return loaded;
    const std::uint64_t end = std::max<std::uint64_t>(static_cast<std::uint64_t>(offset) + size, file.resource->size());
    if (const int resized = ResizeResource(file, end); resized != 0) return resized;
    std::copy_n(buffer, size, file.resource->begin() + offset);
    return static_cast<long>(size);
  }
  if (const int loaded = LoadContent(file); loaded != 0) return loaded;
  const long put = file.data->Write(buffer, size, static_cast<std::uint64_t>(offset));
  if (put < 0) return put;
  file.dirty = true;
  lastChange_ = std::chrono::steady_clock::now();
  return put;
}

int VolumeSession::Truncate(const std::string& path, const ForkHandle* handle, off_t size) {
  if (const int refused = Writable(); refused != 0) return refused;
  if (size < 0 || static_cast<std::uint64_t>(size) > 0xFFFFFFFFu) return -EFBIG;
  ForkHandle fork;
  if (handle != nullptr) {
    fork = *handle;
  } else {
    const Resolved where = Resolve(path);
    if (where.error != 0) return where.error;
    if (where.entry->directory) return -EISDIR;
    if (where.entry->locked) return -EACCES;
    fork = {&open_.Take(where.parentId, where.macName), where.resource};
  }
  OpenFile* file = fork.file;
  int result = 0;
  if (fork.resource) {
    result = ResizeResource(*file, static_cast<std::uint64_t>(size));
  } else {
    result = LoadContent(*file);
    if (result == 0) result = file->data->Resize(static_cast<std::uint64_t>(size));
    if (result == 0) file->dirty = true;
  }
  // A file that no program holds open is written at once.
  if (file->opens == 0) {
    if (result == 0) result = CommitAndFlush(*file);
    open_.Drop(*file);
  }
  return result;
}

int VolumeSession::Commit(OpenFile& file) {
  if (!file.dirty || file.deleted) return 0;
  // Content that cannot be read stays to be written by a later try.
  const ContentStream data = file.data->Stream();
  if (file.data->size() > 0 && data == nullptr) return -EIO;
  file.dirty = false;
  FileContent content;
  content.data = data.get();
  content.dataLength = file.data->size();
  content.modified = file.modified;
  content.pcName = Utf8ToDos(ShownName(file.macName));
  std::FILE* resource = nullptr;
  if (file.resource) {
    resource = MakeTempFile(ctx_, "RSR", file.resource->size());
    // An empty fork (one taken away) has no bytes to write, nor a buffer.
    const std::size_t size = file.resource->size();
    if ((size > 0 && std::fwrite(file.resource->data(), 1, size, resource) != size) || std::fflush(resource) != 0) {
      std::fclose(resource);
      return -EIO;
    }
    content.resource = resource;
    content.resourceLength = size;
  }
  const int result = CommitError(CommitFile(ctx_, file.parentId, file.macName, content));
  if (result == 0) file.recorded = true;
  if (resource != nullptr) std::fclose(resource);
  file.resource.reset();
  file.modified.reset();
  Changed(file.parentId, file.macName);
  if (result != 0) {
    MessageDialog(ctx_, FormatMessage(result == -ENOSPC ? kTextFileNotWrittenNoSpace : kTextFileNotWritten,
                                      ConvertString(file.macName, MacToAnsi)));
  }
  return result;
}

int VolumeSession::Flush() {
  if (!pending_) return 0;
  pending_ = false;
  const FlushStatus status = FlushVolume(ctx_);
  if (status.ok() && !status.takenBack) return 0;
  // The engine holds the volume as the medium has it again.
  folders_.ForgetAll();
  return -EIO;
}

int VolumeSession::CommitAndFlush(OpenFile& file) {
  const int committed = Commit(file);
  const int flushed = Flush();
  return committed != 0 ? committed : flushed;
}

int VolumeSession::Close(OpenFile& file) { return Commit(file); }

int VolumeSession::Release(OpenFile& file) {
  int result = 0;
  if (--file.opens <= 0) {
    result = Commit(file);
    open_.Drop(file);
  }
  return result;
}

int VolumeSession::Sync(OpenFile* file) {
  if (file != nullptr && file->dirty) return CommitAndFlush(*file);
  return Flush();
}

int VolumeSession::MakeFolder(const std::string& path) {
  Resolved where = Resolve(path);
  if (where.error == 0) return -EEXIST;
  if (where.error != -ENOENT) return where.error;
  if (const int refused = Writable(); refused != 0) return refused;
  if (const int named = NewEntryName(where); named != 0) return named;
  if (!EnterDirectoryById(ctx_, where.parentId)) return -EIO;
  const CatalogEditStatus made = CreateFolderRecords(ctx_, where.macName);
  Changed(where.parentId, where.macName);
  switch (made) {
    case CatalogEditStatus::kDone:
      return 0;
    case CatalogEditStatus::kExists:
      return -EEXIST;
    case CatalogEditStatus::kNoRoom:
    case CatalogEditStatus::kNoId:
      return -ENOSPC;
    default:
      return -EIO;
  }
}

int VolumeSession::RemoveFolder(const std::string& path) {
  const Resolved where = Resolve(path);
  if (where.error != 0) return where.error;
  if (!where.entry->directory) return -ENOTDIR;
  if (where.entry->id == kRootDirId) return -EBUSY;
  if (const int refused = Writable(); refused != 0) return refused;
  // The folder's own listing, not the valence its parent's listing holds,
  // is kept up to date.
  const std::vector<CatalogEntry>* inside = folders_.Listing(where.entry->id);
  if (inside == nullptr) return -EIO;
  if (!inside->empty()) return -ENOTEMPTY;
  if (!EnterDirectoryById(ctx_, where.parentId)) return -EIO;
  const DeleteStatus deleted = DeleteDirectory(ctx_, where.macName);
  Changed(where.parentId, where.macName);
  folders_.Forget(where.entry->id);
  return deleted == DeleteStatus::kDone ? 0 : -EIO;
}

int VolumeSession::RemoveFile(const std::string& path) {
  const Resolved where = Resolve(path);
  if (where.error != 0) return where.error;
  if (where.entry->directory) return -EISDIR;
  if (const int refused = Writable(); refused != 0) return refused;
  if (where.entry->locked || where.resource) return -EPERM;
  if (OpenFile* open = open_.Find(where.parentId, where.macName)) {
    // The blocks go back to the free ones with the deletion and may soon
    // hold another file: the handles read a copy until they are closed.
    if (const int loaded = LoadContent(*open); loaded != 0) return loaded;
    const bool onVolume = open->recorded && !open->deleted;
    open_.Detach(*open);
    if (!onVolume) return 0;
  }
  return DeleteRecord(where.parentId, where.macName);
}

int VolumeSession::DeleteRecord(std::uint32_t parentId, const std::string& macName) {
  if (!EnterDirectoryById(ctx_, parentId)) return -EIO;
  const DeleteStatus deleted = DeleteFile(ctx_, macName);
  Changed(parentId, macName);
  return deleted == DeleteStatus::kDone ? 0 : -EIO;
}

int VolumeSession::Rename(const std::string& from, const std::string& to, unsigned flags) {
  constexpr unsigned kNoReplace = 1;  // RENAME_NOREPLACE
  if ((flags & ~kNoReplace) != 0) return -EINVAL;
  const Resolved source = Resolve(from);
  if (source.error != 0) return source.error;
  if (source.entry->id == kRootDirId) return -EBUSY;
  Resolved target = Resolve(to);
  if (target.error != 0 && target.error != -ENOENT) return target.error;
  if (source.resource || target.resource) return -EPERM;
  if (const int refused = Writable(); refused != 0) return refused;
  if (const int named = NewEntryName(target); named != 0) return named;
  OpenFile* open = source.entry->directory ? nullptr : open_.Find(source.parentId, source.macName);
  if (open != nullptr && target.shownName.starts_with(kHiddenPrefix) && !target.entry) return Hide(*open, target);
  // A folder and a name name one entry (a created file has no ID yet).
  const bool sameEntry = target.entry && target.parentId == source.parentId &&
                         CompareNames(target.macName, source.macName) == 0;
  if (target.entry && !sameEntry) {
    if (flags & kNoReplace) return -EEXIST;
    if (target.entry->directory != source.entry->directory) return target.entry->directory ? -EISDIR : -ENOTDIR;
    const int removed = target.entry->directory ? RemoveFolder(to) : RemoveFile(to);
    if (removed != 0) return removed;
  }
  // The content being written goes under the old name first.
  if (open != nullptr && open->dirty) {
    if (const int committed = Commit(*open); committed != 0) return committed;
  }
  const MoveStatus moved = MoveEntry(ctx_, source.parentId, source.macName, target.parentId, target.macName);
  Changed(source.parentId, source.macName);
  Changed(target.parentId, target.macName);
  switch (moved) {
    case MoveStatus::kDone:
      if (open != nullptr) open_.Rename(*open, target.parentId, target.macName);
      return 0;
    case MoveStatus::kNotFound:
      return -ENOENT;
    case MoveStatus::kExists:
      return -EEXIST;
    case MoveStatus::kIntoItself:
      return -EINVAL;
    case MoveStatus::kNoRoom:
      return -ENOSPC;
    case MoveStatus::kFailed:
      break;
  }
  return -EIO;
}

int VolumeSession::Hide(OpenFile& file, const Resolved& hidden) {
  if (const int loaded = LoadContent(file); loaded != 0) return loaded;
  const bool onVolume = file.recorded && !file.deleted;
  const std::string macName = file.macName;
  const std::uint32_t parentId = file.parentId;
  open_.Hide(file, hidden.parentId, hidden.macName);
  return onVolume ? DeleteRecord(parentId, macName) : 0;
}

bool VolumeSession::EditRecord(std::uint32_t parentId, const std::string& macName,
                               const std::function<void(std::uint8_t type, Bytes data)>& edit) {
  // A created file gets its record first.
  if (OpenFile* open = open_.Find(parentId, macName); open && !open->recorded && Commit(*open) != 0) return false;
  TreeWorkFile& catalog = ctx_.volume.catalog;
  const std::optional<CatalogRecord> record = FindNamedRecord(catalog, parentId, macName);
  if (!record) return false;
  edit(record->type, record->data);
  return WriteNode(catalog, catalog.nodeNumber, catalog.node);
}

int VolumeSession::SetModified(const std::string& path, std::optional<std::time_t> modified) {
  if (!modified) return 0;
  const Resolved where = Resolve(path);
  if (where.error != 0) return where.error;
  if (const int refused = Writable(); refused != 0) return refused;
  const std::uint32_t date = PcTimeToMacDate(*modified);
  if (OpenFile* open = open_.Find(where.parentId, where.macName); open && open->dirty) open->modified = date;
  const bool edited = EditRecord(where.parentId, where.macName, [date](std::uint8_t type, Bytes data) {
    PutU32(data, type == kDirectoryRecord ? dirrec::dirMdDat : filrec::filMdDat, date);
  });
  Changed(where.parentId, where.macName);
  return edited ? 0 : -EIO;
}

void VolumeSession::FlushWhenIdle(std::chrono::milliseconds idle, std::chrono::milliseconds longest) {
  const auto now = std::chrono::steady_clock::now();
  const bool due = pending_ && now - firstPending_ >= longest;
  if (now - lastChange_ < idle && !due) return;
  if (!pending_ && open_.Dirty().empty()) return;
  FlushAll();
}

int VolumeSession::FlushAll() {
  int result = 0;
  for (OpenFile* file : open_.Dirty()) {
    if (const int committed = Commit(*file); committed != 0) result = committed;
  }
  if (const int flushed = Flush(); flushed != 0) result = flushed;
  return result;
}

}  // namespace tarvo
