// The content of a file of the mount while programs have it open. Reads
// go to the volume (fork_reader.h) until the file is first written; then
// the data fork is copied to the PC (file_bytes.h), where reads and
// writes at any offset go. A written file is written to
// the volume as a whole (file_commit.h) on fsync, on its last release,
// after a short idle time and at unmount.
//
// Every open of the same file shares one content; it is keyed by the
// file's folder and name as the catalog compares names.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "file_bytes.h"
#include "fork_reader.h"

namespace tarvo {

struct OpenFile {
  std::uint32_t parentId = 0;
  std::string macName;
  std::unique_ptr<FileBytes> data;  // none until first written
  // Until then, reads go to the volume.
  std::unique_ptr<ForkReader> reader;
  bool dirty = false;  // written since it was last written to the volume; then it has data
  // False for a file created through the mount and not yet written to the
  // volume: it has no catalog record, and stat answers from here.
  bool recorded = true;
  std::uint64_t inode = 0;  // the inode number shown while it is not recorded
  int opens = 0;
  bool deleted = false;  // deleted while open: never written to the volume
  // The resource fork once read or written through its attribute or its
  // path (-o rsrc); a changed one goes to the volume with the data.
  std::optional<std::vector<std::uint8_t>> resource;
  std::optional<std::uint32_t> modified;  // a date set while it was being written

  OpenFile() = default;
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
};

// A program's open of a file: the file's shared content and the fork it
// reads and writes.
struct ForkHandle {
  OpenFile* file = nullptr;
  bool resource = false;  // opened by its resource fork's path (-o rsrc)
};

class OpenFiles {
 public:
  OpenFiles() = default;
  OpenFiles(const OpenFiles&) = delete;
  OpenFiles& operator=(const OpenFiles&) = delete;

  // The content of the file, made (empty, not yet read) when none is open.
  OpenFile& Take(std::uint32_t parentId, const std::string& macName);
  // The content when the file is open; nullptr otherwise.
  OpenFile* Find(std::uint32_t parentId, const std::string& macName);
  // Forgets the content (its last release).
  void Drop(const OpenFile& file);
  // The file was deleted while open: its content (loaded by the caller)
  // stays for the handles until their release, and is never written to
  // the volume.
  void Detach(OpenFile& file);
  // The file was deleted while open and is known by a hidden name until
  // its last release; its content (loaded by the caller) is never written
  // to the volume.
  void Hide(OpenFile& file, std::uint32_t parentId, const std::string& macName);
  // The file now bears another folder or name.
  void Rename(const OpenFile& file, std::uint32_t parentId, const std::string& macName);
  // Every content that was written and not yet written to the volume.
  std::vector<OpenFile*> Dirty();

 private:
  struct Key {
    std::uint32_t parentId;
    std::string macName;
    bool operator<(const Key& other) const;
  };
  std::map<Key, std::unique_ptr<OpenFile>> files_;
  std::vector<std::unique_ptr<OpenFile>> detached_;
};

}  // namespace tarvo
