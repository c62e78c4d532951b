// Long random runs of copies onto a small volume (plain and MacBinary,
// small and large, either fork), new folders, deletions and renames, past
// the point where the volume is full. The volume is checked after every
// step against itself and against a model; at the end hfsutils lists the
// same tree and extracts every file byte for byte.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "hfs/catalog_lookup.h"
#include "hfs/delete_entries.h"
#include "hfs/flush.h"
#include "hfs/navigation.h"
#include "hfs/rename_entries.h"
#include "support/edit_volume.h"
#include "support/scratch_files.h"
#include "transfer/copy_to_mac.h"
#include "transfer/mac_folder.h"

namespace tarvo {
namespace {

using testing::EditVolume;
using Bytes8 = std::vector<std::uint8_t>;

struct ModelFile {
  Bytes8 data, rsrc;
};

class RandomRun {
 public:
  explicit RandomRun(unsigned seed) : random_(seed), pc_(v_.Path("pc")) { std::filesystem::create_directory(pc_); }

  void Step() {
    const int pick = Uniform(0, 99);
    if (pick < 45) CopyPlain();
    else if (pick < 55) CopyMacBinary();
    else if (pick < 63) MakeFolder();
    else if (pick < 80) DeleteOne();
    else if (pick < 90) RenameOne();
    else Move();
  }

  void CheckEnd() {
    ASSERT_TRUE(FlushVolume(v_.ctx()).ok());
    std::set<std::string> expected;
    for (const std::string& folder : folders_) expected.insert(folder + ":");
    for (const auto& [path, file] : files_) expected.insert(path);
    EXPECT_EQ(v_.HfsutilsTree(), expected);
    for (const auto& [path, file] : files_) {
      const testing::ExtractedFile out = v_.HfsutilsFile(path);
      EXPECT_TRUE(out.found) << path;
      EXPECT_EQ(out.data, file.data) << path;
      EXPECT_EQ(out.rsrc, file.rsrc) << path;
    }
    v_.Remount();
    EXPECT_EQ(v_.Problems(), std::vector<std::string>{});
  }

  EditVolume v_{1536};
  int fullCopies = 0;

 private:
  Context& ctx() { return v_.ctx(); }
  int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  Bytes8 Content(std::size_t n) {
    Bytes8 bytes(n);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random_());
    return bytes;
  }
  std::size_t Size() {
    switch (Uniform(0, 3)) {
      case 0: return static_cast<std::size_t>(Uniform(0, 3));
      case 1: return static_cast<std::size_t>(Uniform(1, 2000));
      case 2: return static_cast<std::size_t>(Uniform(2000, 40000));
      default: return static_cast<std::size_t>(Uniform(40000, 300000));
    }
  }
  std::string Here() const {
    std::string path;
    for (const std::string& part : current_) path += ":" + part;
    return path;
  }
  // The current folder's entries in the model: name -> is a folder.
  std::map<std::string, bool> Entries() const {
    std::map<std::string, bool> entries;
    const std::string prefix = Here() + ":";
    for (const std::string& f : folders_)
      if (f.starts_with(prefix) && f.find(':', prefix.size()) == std::string::npos) entries[f.substr(prefix.size())] = true;
    for (const auto& [path, file] : files_)
      if (path.starts_with(prefix) && path.find(':', prefix.size()) == std::string::npos)
        entries[path.substr(prefix.size())] = false;
    return entries;
  }
  bool OnVolume(const std::string& name) {
    return FindNamedRecord(ctx().volume.catalog, ctx().volume.current.currentDirId, name).has_value();
  }

  void CopyPlain() {
    const std::string pcName = "F" + std::to_string(++counter_) + ".BIN";
    const std::string macName = "F" + std::to_string(counter_) + ".bin";
    const Bytes8 content = Content(Size());
    testing::WriteWholeFile((pc_ / pcName).string(), content);
    const bool resource = Uniform(0, 3) == 0;
    ctx().settings.modeFlags = resource ? kCopyResource : kCopyData;
    Finish(CopyPcItems(ctx(), pc_, pcName, std::nullopt), macName, resource ? ModelFile{{}, content} : ModelFile{content, {}});
    std::filesystem::remove(pc_ / pcName);
  }

  void CopyMacBinary() {
    // Half of the time under a name already taken: Yes replaces it.
    const std::map<std::string, bool> entries = Entries();
    std::string name = "Mb " + std::to_string(++counter_);
    bool replacing = false;
    if (!entries.empty() && Uniform(0, 1) == 0) {
      auto it = entries.begin();
      std::advance(it, Uniform(0, static_cast<int>(entries.size()) - 1));
      if (!it->second) name = it->first, replacing = true;
    }
    ModelFile file{Content(Size() / 2), Content(Size() / 2)};
    testing::WriteWholeFile((pc_ / "PACKED.BIN").string(), testing::MacBinaryFile(name, "BINA", "test", file.data, file.rsrc));
    ctx().settings.modeFlags = kCopyMacBinary;
    v_.ui().answers = {"yes"};
    const int result = CopyPcItems(ctx(), pc_, "PACKED.BIN", std::nullopt);
    if (replacing && result != 0) {
      // The file that did not fit leaves the old one as it was.
      ASSERT_EQ(result, -1);
      ASSERT_TRUE(OnVolume(name)) << name;
      ++fullCopies;
      return;
    }
    Finish(result, name, file);
  }

  void Finish(int result, const std::string& macName, const ModelFile& file) {
    if (result == 0) {
      ASSERT_TRUE(OnVolume(macName)) << macName;
      files_[Here() + ":" + macName] = file;
    } else {
      ASSERT_EQ(result, -1);
      ASSERT_FALSE(OnVolume(macName)) << macName;
      ++fullCopies;
    }
  }

  void MakeFolder() {
    const std::string name = "DIR" + std::to_string(++counter_);
    const MadeFolder made = MakeMacFolder(ctx(), name);
    if (made.status == FolderStatus::kCreated) folders_.insert(Here() + ":" + made.macName);
    else ASSERT_FALSE(OnVolume(made.macName));
  }

  void DeleteOne() {
    const std::map<std::string, bool> entries = Entries();
    if (entries.empty()) return;
    auto it = entries.begin();
    std::advance(it, Uniform(0, static_cast<int>(entries.size()) - 1));
    v_.ui().answers = {"ok"};
    ASSERT_EQ(DeleteItem(ctx(), it->first, true), DeleteStatus::kDone);
    const std::string path = Here() + ":" + it->first;
    std::erase_if(folders_, [&](const std::string& f) { return f == path || f.starts_with(path + ":"); });
    std::erase_if(files_, [&](const auto& f) { return f.first == path || f.first.starts_with(path + ":"); });
  }

  void RenameOne() {
    const std::map<std::string, bool> entries = Entries();
    if (entries.empty()) return;
    auto it = entries.begin();
    std::advance(it, Uniform(0, static_cast<int>(entries.size()) - 1));
    const std::string newName = "Renamed " + std::to_string(++counter_);
    ASSERT_EQ(RenameEntries(ctx(), it->first, newName), RenameStatus::kDone);
    const std::string from = Here() + ":" + it->first, to = Here() + ":" + newName;
    auto moved = [&](const std::string& p) { return p == from || p.starts_with(from + ":") ? to + p.substr(from.size()) : p; };
    std::set<std::string> folders;
    for (const std::string& f : folders_) folders.insert(moved(f));
    folders_ = folders;
    std::map<std::string, ModelFile> files;
    for (const auto& [p, f] : files_) files[moved(p)] = f;
    files_ = files;
  }

  void Move() {
    const std::map<std::string, bool> entries = Entries();
    std::vector<std::string> subfolders;
    for (const auto& [name, folder] : entries)
      if (folder) subfolders.push_back(name);
    if (!current_.empty() && (subfolders.empty() || Uniform(0, 2) == 0)) {
      ASSERT_TRUE(ParentDirectory(ctx()));
      current_.pop_back();
    } else if (!subfolders.empty()) {
      const std::string name = subfolders[static_cast<std::size_t>(Uniform(0, static_cast<int>(subfolders.size()) - 1))];
      ASSERT_TRUE(ChangeDirectory(ctx(), name));
      current_.push_back(name);
    }
  }

  std::mt19937 random_;
  std::filesystem::path pc_;
  std::vector<std::string> current_;
  std::set<std::string> folders_;
  std::map<std::string, ModelFile> files_;
  int counter_ = 0;
};

TEST(RandomEditsTest, LongRunsKeepTheVolumeSoundAndEveryFileIntact) {
  for (unsigned seed : {1u, 2u, 3u}) {
    RandomRun run(seed);
    for (int step = 0; step < 300; ++step) {
      run.Step();
      if (::testing::Test::HasFatalFailure()) return;
      ASSERT_EQ(run.v_.Problems(), std::vector<std::string>{}) << "seed " << seed << " step " << step;
    }
    EXPECT_GT(run.fullCopies, 0) << "the volume never filled";
    run.CheckEnd();
  }
}

}  // namespace
}  // namespace tarvo
