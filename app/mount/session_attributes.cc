// The extended attributes of the mount: a file's resource fork and the
// 32 bytes of Finder information of a file or folder, under the names
// macOS gives them, in the user namespace Linux leaves to programs.
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "hfs/work_file.h"
#include "ui/context.h"
#include "volume_session.h"

namespace tarvo {

namespace {

constexpr const char* kFinderInfoName = "user.com.apple.FinderInfo";
constexpr const char* kResourceForkName = "user.com.apple.ResourceFork";

// The value for a buffer of `size` bytes: its length when size is 0.
int AttributeValue(const std::uint8_t* bytes, std::size_t length, char* buffer, std::size_t size) {
  if (size == 0) return static_cast<int>(length);
  if (size < length) return -ERANGE;
  std::copy_n(bytes, length, buffer);
  return static_cast<int>(length);
}

}  // namespace

int VolumeSession::GetAttribute(const std::string& path, const std::string& name, char* buffer, std::size_t size) {
  const Resolved where = Resolve(path);
  if (where.error != 0) return where.error;
  const CatalogEntry& entry = *where.entry;
  if (name == kFinderInfoName) return AttributeValue(entry.finderInfo.data(), entry.finderInfo.size(), buffer, size);
  if (name != kResourceForkName || entry.directory) return -ENODATA;
  if (const OpenFile* open = open_.Find(where.parentId, where.macName); open && open->resource) {
    if (open->resource->empty()) return -ENODATA;
    return AttributeValue(open->resource->data(), open->resource->size(), buffer, size);
  }
  if (entry.resourceLength == 0) return -ENODATA;
  if (size == 0) return static_cast<int>(entry.resourceLength);
  if (size < entry.resourceLength) return -ERANGE;
  std::vector<std::uint8_t> fork;
  if (const int read = ReadResource(entry, fork); read != 0) return read;
  return AttributeValue(fork.data(), fork.size(), buffer, size);
}

int VolumeSession::ReadResource(const CatalogEntry& entry, std::vector<std::uint8_t>& out) {
  out.assign(entry.resourceLength, 0);
  if (entry.resourceLength == 0) return 0;
  std::FILE* fork = MakeTempFile(ctx_, "RSR", entry.resourceLength);
  const ForkCopy copy =
      CopyForkToFile(ctx_, entry.resourceExtents, fork, entry.id, entry.resourceLength, kResourceFork);
  const bool read = std::fflush(fork) == 0 && copy.status == ForkCopyStatus::kComplete && copy.lostBytes == 0 &&
                    ::pread(::fileno(fork), out.data(), out.size(), 0) == static_cast<ssize_t>(out.size());
  std::fclose(fork);
  return read ? 0 : -EIO;
}

int VolumeSession::LoadResource(OpenFile& file) {
  if (file.resource) return 0;
  std::vector<std::uint8_t> fork;
  // A created file has no record yet, and no fork.
  if (const CatalogEntry* entry = folders_.Find(file.parentId, file.macName)) {
    if (const int read = ReadResource(*entry, fork); read != 0) return read;
  }
  file.resource = std::move(fork);
  return 0;
}

int VolumeSession::ResizeResource(OpenFile& file, std::uint64_t size) {
  if (const int loaded = LoadResource(file); loaded != 0) return loaded;
  // The data fork goes to the volume with it.
  if (const int loaded = LoadContent(file); loaded != 0) return loaded;
  file.resource->resize(size);
  file.dirty = true;
  lastChange_ = std::chrono::steady_clock::now();
  return 0;
}

int VolumeSession::SetAttribute(const std::string& path, const std::string& name, const char* value,
                                std::size_t size, int flags) {
  const Resolved where = Resolve(path);
  if (where.error != 0) return where.error;
  if (name != kFinderInfoName && name != kResourceForkName) return -ENOTSUP;
  if (const int refused = Writable(); refused != 0) return refused;
  if (name == kResourceForkName) {
    if (where.entry->directory) return -EPERM;
    if ((flags & XATTR_CREATE) != 0 && where.entry->resourceLength > 0) return -EEXIST;
    return SetResource(where, std::vector<std::uint8_t>(value, value + size));
  }
  if (size != where.entry->finderInfo.size()) return -EINVAL;
  const bool edited = EditRecord(where.parentId, where.macName, [value](std::uint8_t type, Bytes data) {
    const bool folder = type == kDirectoryRecord;
    std::copy_n(value, 16, data.begin() + (folder ? dirrec::dirUsrInfo : filrec::filUsrWds));
    std::copy_n(value + 16, 16, data.begin() + (folder ? dirrec::dirFndrInfo : filrec::filFndrInfo));
  });
  Changed(where.parentId, where.macName);
  return edited ? 0 : -EIO;
}

int VolumeSession::ListAttributes(const std::string& path, char* buffer, std::size_t size) {
  const Resolved where = Resolve(path);
  if (where.error != 0) return where.error;
  std::string names(kFinderInfoName);
  names += '\0';
  const OpenFile* open = open_.Find(where.parentId, where.macName);
  const bool resource = open && open->resource ? !open->resource->empty() : where.entry->resourceLength > 0;
  if (!where.entry->directory && resource) {
    names += kResourceForkName;
    names += '\0';
  }
  return AttributeValue(reinterpret_cast<const std::uint8_t*>(names.data()), names.size(), buffer, size);
}

int VolumeSession::RemoveAttribute(const std::string& path, const std::string& name) {
  const Resolved where = Resolve(path);
  if (where.error != 0) return where.error;
  if (const int refused = Writable(); refused != 0) return refused;
  if (name == kResourceForkName && !where.entry->directory) {
    if (where.entry->resourceLength == 0) return -ENODATA;
    return SetResource(where, {});
  }
  if (name != kFinderInfoName) return -ENODATA;
  const std::array<char, 32> zeros{};
  return SetAttribute(path, name, zeros.data(), zeros.size(), 0);
}

int VolumeSession::SetResource(const Resolved& where, std::vector<std::uint8_t> resource) {
  OpenFile& file = open_.Take(where.parentId, where.macName);
  if (const int loaded = LoadContent(file); loaded != 0) {
    if (file.opens == 0) open_.Drop(file);
    return loaded;
  }
  file.resource = std::move(resource);
  file.dirty = true;
  lastChange_ = std::chrono::steady_clock::now();
  // An open file takes it to the volume with its data, at its release.
  if (file.opens > 0) return 0;
  const int committed = Commit(file);
  open_.Drop(file);
  return committed;
}

}  // namespace tarvo
