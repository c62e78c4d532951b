#include "open_file.h"

#include "hfs/name_order.h"

namespace tarvo {

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

void OpenFiles::Drop(const OpenFile& file) {
  const auto it = files_.find(Key{file.parentId, file.macName});
  if (it != files_.end() && it->second.get() == &file) {
    files_.erase(it);
    return;
  }
  std::erase_if(detached_, [&file](const std::unique_ptr<OpenFile>& held) { return held.get() == &file; });
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
