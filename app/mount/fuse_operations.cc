#include "fuse_operations.h"

#include <fcntl.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "volume_session.h"

namespace tarvo {

namespace {

constexpr std::chrono::milliseconds kIdleFlush{1000};
constexpr std::chrono::milliseconds kLongestWait{5000};

// The lock every operation holds, and the idle writer.
struct MountLoop {
  std::mutex lock;
  std::condition_variable stopped;
  bool stopping = false;
  std::thread idleWriter;
};

MountLoop& Loop() {
  static MountLoop loop;
  return loop;
}

VolumeSession& Session() { return *static_cast<VolumeSession*>(fuse_get_context()->private_data); }

// Runs the operation under the lock; a failure the engine throws (no room
// for a temporary file, say) fails the operation alone.
template <typename Operation>
auto Guarded(Operation operation) -> decltype(operation(Session())) {
  std::lock_guard<std::mutex> held(Loop().lock);
  try {
    return operation(Session());
  } catch (const std::exception&) {
    return -EIO;
  }
}

ForkHandle* Handle(const fuse_file_info* fi) {
  return fi == nullptr ? nullptr : reinterpret_cast<ForkHandle*>(static_cast<std::uintptr_t>(fi->fh));
}

OpenFile* FileOf(const fuse_file_info* fi) {
  const ForkHandle* handle = Handle(fi);
  return handle == nullptr ? nullptr : handle->file;
}

// Opens with `opening`; the handle is the open's when it succeeds.
template <typename Opening>
int OpenHandle(fuse_file_info* fi, Opening opening) {
  return Guarded([&](VolumeSession& s) {
    auto handle = std::make_unique<ForkHandle>();
    const int opened = opening(s, *handle);
    if (handle->file != nullptr && opened != 0) s.Release(*handle->file);
    if (opened == 0) fi->fh = reinterpret_cast<std::uintptr_t>(handle.release());
    return opened;
  });
}

void WriteWhenIdle(VolumeSession* session) {
  MountLoop& loop = Loop();
  std::unique_lock<std::mutex> held(loop.lock);
  while (!loop.stopped.wait_for(held, kIdleFlush / 2, [&loop] { return loop.stopping; })) {
    try {
      session->FlushWhenIdle(kIdleFlush, kLongestWait);
    } catch (const std::exception&) {
      // Told by the engine; the next try or the unmount writes again.
    }
  }
}

void* Init(fuse_conn_info* conn, fuse_config* cfg) {
  cfg->use_ino = 1;
  // Large files move in requests of 1 MB, the most the kernel takes.
  conn->max_write = kLargestRequest;
  conn->max_readahead = kLargestRequest;
  void* session = fuse_get_context()->private_data;
  Loop().idleWriter = std::thread(WriteWhenIdle, static_cast<VolumeSession*>(session));
  return session;
}

void Destroy(void* data) {
  MountLoop& loop = Loop();
  {
    std::lock_guard<std::mutex> held(loop.lock);
    loop.stopping = true;
  }
  loop.stopped.notify_all();
  if (loop.idleWriter.joinable()) loop.idleWriter.join();
  std::lock_guard<std::mutex> held(loop.lock);
  try {
    static_cast<VolumeSession*>(data)->Unmount();
  } catch (const std::exception&) {
    // The engine told why; the journal keeps the medium whole.
  }
}

// A file that lost its name comes without a path.
int GetAttr(const char* path, struct stat* st, fuse_file_info*) {
  if (path == nullptr) return -ESTALE;
  return Guarded([&](VolumeSession& s) { return s.GetAttributes(path, *st); });
}

int ReadDir(const char* path, void* buffer, fuse_fill_dir_t filler, off_t, fuse_file_info*,
            fuse_readdir_flags flags) {
  std::vector<ListedName> names;
  const int listed = Guarded([&](VolumeSession& s) { return s.List(path, names); });
  if (listed != 0) return listed;
  const auto plus = (flags & FUSE_READDIR_PLUS) != 0 ? FUSE_FILL_DIR_PLUS : static_cast<fuse_fill_dir_flags>(0);
  filler(buffer, ".", nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
  filler(buffer, "..", nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
  for (const ListedName& named : names) {
    if (filler(buffer, named.name.c_str(), &named.attributes, 0, plus) != 0) break;
  }
  return 0;
}

int Open(const char* path, fuse_file_info* fi) {
  const bool writing = (fi->flags & O_ACCMODE) != O_RDONLY;
  return OpenHandle(fi, [&](VolumeSession& s, ForkHandle& handle) {
    return s.Open(path, writing, (fi->flags & O_TRUNC) != 0, handle);
  });
}

int Create(const char* path, mode_t, fuse_file_info* fi) {
  return OpenHandle(fi, [&](VolumeSession& s, ForkHandle& handle) { return s.Create(path, handle); });
}

int Read(const char*, char* buffer, size_t size, off_t offset, fuse_file_info* fi) {
  return Guarded([&](VolumeSession& s) { return static_cast<int>(s.Read(*Handle(fi), buffer, size, offset)); });
}

int Write(const char*, const char* buffer, size_t size, off_t offset, fuse_file_info* fi) {
  return Guarded([&](VolumeSession& s) { return static_cast<int>(s.Write(*Handle(fi), buffer, size, offset)); });
}

int Truncate(const char* path, off_t size, fuse_file_info* fi) {
  if (path == nullptr && fi == nullptr) return -ESTALE;
  return Guarded([&](VolumeSession& s) { return s.Truncate(path != nullptr ? path : "", Handle(fi), size); });
}

// close(): what was written goes to the volume, so that close tells a
// failure to write it.
int Flush(const char*, fuse_file_info* fi) {
  return Guarded([&](VolumeSession& s) { return s.Close(*FileOf(fi)); });
}

int Release(const char*, fuse_file_info* fi) {
  const std::unique_ptr<ForkHandle> handle(Handle(fi));
  return Guarded([&](VolumeSession& s) { return s.Release(*handle->file); });
}

int Fsync(const char*, int, fuse_file_info* fi) {
  return Guarded([&](VolumeSession& s) { return s.Sync(FileOf(fi)); });
}

int MkDir(const char* path, mode_t) {
  return Guarded([&](VolumeSession& s) { return s.MakeFolder(path); });
}

int RmDir(const char* path) {
  return Guarded([&](VolumeSession& s) { return s.RemoveFolder(path); });
}

int Unlink(const char* path) {
  return Guarded([&](VolumeSession& s) { return s.RemoveFile(path); });
}

int Rename(const char* from, const char* to, unsigned int flags) {
  return Guarded([&](VolumeSession& s) { return s.Rename(from, to, flags); });
}

int Utimens(const char* path, const timespec tv[2], fuse_file_info*) {
  // A deleted file has no date left to set.
  if (path == nullptr) return 0;
  std::optional<std::time_t> modified;
  if (tv == nullptr || tv[1].tv_nsec == UTIME_NOW) modified = std::time(nullptr);
  else if (tv[1].tv_nsec != UTIME_OMIT) modified = tv[1].tv_sec;
  return Guarded([&](VolumeSession& s) { return s.SetModified(path, modified); });
}

// HFS keeps no owner and no permissions: a change of them is taken and
// has no effect, so that copies that keep them (cp -a) go through.
int ChMod(const char*, mode_t, fuse_file_info*) { return 0; }
int ChOwn(const char*, uid_t, gid_t, fuse_file_info*) { return 0; }

int StatFs(const char*, struct statvfs* out) {
  return Guarded([&](VolumeSession& s) { return s.StatFs(*out); });
}

int SetXattr(const char* path, const char* name, const char* value, size_t size, int flags) {
  return Guarded([&](VolumeSession& s) { return s.SetAttribute(path, name, value, size, flags); });
}

int GetXattr(const char* path, const char* name, char* value, size_t size) {
  return Guarded([&](VolumeSession& s) { return s.GetAttribute(path, name, value, size); });
}

int ListXattr(const char* path, char* list, size_t size) {
  return Guarded([&](VolumeSession& s) { return s.ListAttributes(path, list, size); });
}

int RemoveXattr(const char* path, const char* name) {
  return Guarded([&](VolumeSession& s) { return s.RemoveAttribute(path, name); });
}

fuse_operations MakeOperations() {
  fuse_operations ops{};
  ops.init = Init;
  ops.destroy = Destroy;
  ops.getattr = GetAttr;
  ops.readdir = ReadDir;
  ops.open = Open;
  ops.create = Create;
  ops.read = Read;
  ops.write = Write;
  ops.truncate = Truncate;
  ops.flush = Flush;
  ops.release = Release;
  ops.fsync = Fsync;
  ops.mkdir = MkDir;
  ops.rmdir = RmDir;
  ops.unlink = Unlink;
  ops.rename = Rename;
  ops.utimens = Utimens;
  ops.chmod = ChMod;
  ops.chown = ChOwn;
  ops.statfs = StatFs;
  ops.setxattr = SetXattr;
  ops.getxattr = GetXattr;
  ops.listxattr = ListXattr;
  ops.removexattr = RemoveXattr;
  return ops;
}

}  // namespace

const fuse_operations& MountOperations() {
  static const fuse_operations ops = MakeOperations();
  return ops;
}

}  // namespace tarvo
