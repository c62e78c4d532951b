#include "open_file.h"

#include <unistd.h>

#include "hfs/name_order.h"

namespace tarvo {

namespace {

constexpr std::size_t kMostSpares = 4;

}  // namespace

OpenFile::~OpenFile() {
  if (data != nullptr) std::fclose(data);
}

bool OpenFiles::Key::operator<(const Key& other) const {
  if (parentId != other.parentId) return parentId < other.parentId;
  return CompareNames(macName, other.macName) < 0;
}

OpenFile& OpenFiles::Take(std::uint32_t parentId, const std::string& macName) {
  std::unique_ptr<OpenFile>& file = files_[Key{parentId, macName}];
  if (!file) {
    file = std::make_unique<OpenFile>();
    file->parentId = parentId;
    file->macName = macName;
  }
  return *file;
}

OpenFile* OpenFiles::Find(std::uint32_t parentId, const std::string& macName) {
  const auto it = files_.find(Key{parentId, macName});
  return it == files_.end() ? nullptr : it->second.get();
}

OpenFiles::~OpenFiles() {
  for (std::FILE* spare : spares_) std::fclose(spare);
}

void OpenFiles::Drop(const OpenFile& file) {
  const auto it = files_.find(Key{file.parentId, file.macName});
  if (it != files_.end() && it->second.get() == &file) {
    KeepSpare(*it->second);
    files_.erase(it);
    return;
  }
  std::erase_if(detached_, [this, &file](std::unique_ptr<OpenFile>& held) {
    if (held.get() != &file) return false;
    KeepSpare(*held);
    return true;
  });
}

std::FILE* OpenFiles::TakeSpare() {
  if (spares_.empty()) return nullptr;
  std::FILE* spare = spares_.back();
  spares_.pop_back();
  return spare;
}

void OpenFiles::KeepSpare(OpenFile& file) {
  if (file.data == nullptr || spares_.size() >= kMostSpares) return;
  // Reads through the stream start again from the start, with nothing buffered.
  std::rewind(file.data);
  if (::ftruncate(::fileno(file.data), 0) != 0) return;
  spares_.push_back(file.data);
  file.data = nullptr;
}

void OpenFiles::Detach(OpenFile& file) {
  auto node = files_.extract(Key{file.parentId, file.macName});
  if (node.empty()) return;
  file.dirty = false;
  file.deleted = true;
  detached_.push_back(std::move(node.mapped()));
}

void OpenFiles::Hide(OpenFile& file, std::uint32_t parentId, const std::string& macName) {
  file.dirty = false;
  file.deleted = true;
  Rename(file, parentId, macName);
}

void OpenFiles::Rename(const OpenFile& file, std::uint32_t parentId, const std::string& macName) {
  auto node = files_.extract(Key{file.parentId, file.macName});
  if (node.empty()) return;
  node.key() = Key{parentId, macName};
  node.mapped()->parentId = parentId;
  node.mapped()->macName = macName;
  files_.insert(std::move(node));
}

std::vector<OpenFile*> OpenFiles::Dirty() {
  std::vector<OpenFile*> dirty;
  for (auto& [key, file] : files_) {
    if (file->dirty) dirty.push_back(file.get());
  }
  return dirty;
}

}  // namespace tarvo
