// A FUSE file system that keeps its files in memory and does nothing else:
// the floor under bench row M2, what the kernel's requests for the same
// cp -r cost any file system. Names compare without regard to case, as on
// HFS, and the folder /Small is there from the start.
//
// Usage: null-mount -f SOURCE MOUNTPOINT (tarvo-mount's arguments; SOURCE
// is not read).
#define FUSE_USE_VERSION 31
#include <fuse.h>
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

struct Node {
  bool folder = false;
  std::vector<char> data;
  ino_t inode = 0;
};

struct NoCase {
  bool operator()(const std::string& a, const std::string& b) const { return strcasecmp(a.c_str(), b.c_str()) < 0; }
};

std::map<std::string, Node, NoCase> nodes;
ino_t nextInode = 16;

Node& Add(const char* path, bool folder) {
  Node& node = nodes[path];
  node.folder = folder;
  node.inode = nextInode++;
  return node;
}

Node* Find(const char* path) {
  const auto found = nodes.find(path);
  return found == nodes.end() ? nullptr : &found->second;
}

// The settings tarvo-mount starts with.
void* Init(fuse_conn_info* conn, fuse_config* config) {
  config->use_ino = 1;
  conn->max_write = 1u << 20;
  conn->max_readahead = 1u << 20;
  return nullptr;
}

int GetAttr(const char* path, struct stat* st, fuse_file_info*) {
  const Node* node = Find(path);
  if (node == nullptr) return -ENOENT;
  *st = {};
  st->st_ino = node->inode;
  st->st_uid = ::getuid();
  st->st_gid = ::getgid();
  st->st_blksize = 1u << 20;
  st->st_mode = node->folder ? (S_IFDIR | 0755) : (S_IFREG | 0644);
  st->st_nlink = node->folder ? 2 : 1;
  st->st_size = static_cast<off_t>(node->data.size());
  return 0;
}

int MakeFolder(const char* path, mode_t) {
  if (Find(path) != nullptr) return -EEXIST;
  Add(path, true);
  return 0;
}

int Create(const char* path, mode_t, fuse_file_info*) {
  if (Find(path) == nullptr) Add(path, false);
  return 0;
}

int Open(const char* path, fuse_file_info*) { return Find(path) != nullptr ? 0 : -ENOENT; }

int Write(const char* path, const char* buffer, size_t size, off_t offset, fuse_file_info*) {
  Node* node = Find(path);
  if (node == nullptr) return -ENOENT;
  const std::size_t end = static_cast<std::size_t>(offset) + size;
  if (end > node->data.size()) node->data.resize(end);
  std::memcpy(node->data.data() + offset, buffer, size);
  return static_cast<int>(size);
}

int Flush(const char*, fuse_file_info*) { return 0; }
int Release(const char*, fuse_file_info*) { return 0; }
int GetXattr(const char*, const char*, char*, size_t) { return -ENODATA; }

int ReadDir(const char*, void* buffer, fuse_fill_dir_t filler, off_t, fuse_file_info*, fuse_readdir_flags) {
  filler(buffer, ".", nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
  filler(buffer, "..", nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  Add("/", true);
  Add("/Small", true);
  fuse_operations ops{};
  ops.init = Init;
  ops.getattr = GetAttr;
  ops.mkdir = MakeFolder;
  ops.create = Create;
  ops.open = Open;
  ops.write = Write;
  ops.flush = Flush;
  ops.release = Release;
  ops.getxattr = GetXattr;
  ops.readdir = ReadDir;
  char* args[] = {argv[0], argv[1], argv[3]};
  return fuse_main(3, args, &ops, nullptr);
}
