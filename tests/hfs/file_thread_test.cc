// Files that have thread records, as Macintoshes make them, deleted and
// renamed by the commands, the folder deletion and the attributes dialog:
// the thread goes or follows in the same update, the volume check stays
// clean, later writes work, and hfsutils reads every file left.
#include "hfs/file_thread.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "hfs/btree.h"
#include "hfs/delete_entries.h"
#include "hfs/flush.h"
#include "hfs/navigation.h"
#include "hfs/rename_entries.h"
#include "support/edit_volume.h"
#include "support/file_threads.h"
#include "support/scratch_files.h"
#include "transfer/copy_to_mac.h"
#include "transfer/file_attributes.h"

namespace tarvo {
namespace {

using testing::ShellQuote;
using Data = std::vector<std::uint8_t>;
using Problems = std::vector<std::string>;

Data Content(const std::string& name) { return Data(name.begin(), name.end()); }

class FileThreadTest : public ::testing::Test {
 protected:
  // One, Two and Three in the root and Inner in the folder Box, each with
  // its name as its data fork and a thread record.
  void SetUp() override {
    std::vector<std::string> commands{"hmkdir :Box"};
    for (const std::string path : {"One", "Two", "Three", "Box:Inner"}) {
      const std::string pc = v_.Path(std::to_string(commands.size()));
      testing::WriteWholeFile(pc, Content(Leaf(path)));
      commands.push_back("hcopy -r " + ShellQuote(pc) + " " + ShellQuote(":" + path));
    }
    ASSERT_TRUE(v_.HfsutilsWrite(commands));
    v_.Remount();
    for (const std::string name : {"One", "Two", "Three"}) ASSERT_NE(testing::AddFileThread(ctx(), name), 0u);
    ASSERT_TRUE(ChangeDirectory(ctx(), "Box"));
    ASSERT_NE(testing::AddFileThread(ctx(), "Inner"), 0u);
    ASSERT_TRUE(RootDirectory(ctx()));
    ASSERT_TRUE(FlushVolume(ctx()).ok());
    ASSERT_EQ(v_.Problems(), Problems{});
  }

  Context& ctx() { return v_.ctx(); }
  std::uint32_t LeafRecords() { return GetU32(ctx().volume.catalog.header, header::bthNRecs); }
  static std::string Leaf(const std::string& path) { return path.substr(path.rfind(':') + 1); }

  // After a flush: hfsutils finds exactly these files (and the folders
  // they name), each with the data it was made with.
  void ExpectHfsutilsReads(const std::map<std::string, std::string>& files, const std::set<std::string>& tree) {
    ASSERT_TRUE(FlushVolume(ctx()).ok());
    EXPECT_EQ(v_.HfsutilsTree(), tree);
    for (const auto& [path, made] : files) {
      const testing::ExtractedFile file = v_.HfsutilsFile(path);
      EXPECT_TRUE(file.found) << path;
      EXPECT_EQ(file.data, Content(made)) << path;
    }
  }
  // A later write: a new file copied from the PC.
  void CopyNewFile() {
    const std::filesystem::path pc = v_.Path("NEW.TXT");
    testing::WriteWholeFile(pc.string(), Content("New"));
    ASSERT_EQ(CopyPcFile(ctx(), pc, std::nullopt), 0);
    EXPECT_EQ(v_.Problems(), Problems{});
  }

  testing::EditVolume v_;
};

TEST_F(FileThreadTest, DeletingAFileTakesItsThreadAlong) {
  const std::uint32_t records = LeafRecords();
  EXPECT_EQ(DeleteEntries(ctx(), "Two"), DeleteStatus::kDone);
  EXPECT_EQ(LeafRecords(), records - 2);
  EXPECT_EQ(v_.Problems(), Problems{});
  // A folder holding such a file: its record, its thread, the file's two.
  v_.ui().answers = {"ok"};
  EXPECT_EQ(DeleteEntries(ctx(), "Box"), DeleteStatus::kDone);
  EXPECT_EQ(LeafRecords(), records - 6);
  EXPECT_EQ(v_.Problems(), Problems{});
  CopyNewFile();
  ExpectHfsutilsReads({{":One", "One"}, {":Three", "Three"}, {":New.txt", "New"}}, {":One", ":Three", ":New.txt"});
}

TEST_F(FileThreadTest, RenamingAFileRenamesItsThread) {
  const std::uint32_t records = LeafRecords();
  EXPECT_EQ(RenameEntries(ctx(), "One", "Uno"), RenameStatus::kDone);
  EXPECT_EQ(RenameEntries(ctx(), "T*", "Z*"), RenameStatus::kDone);  // Two, Three: Zwo, Zhree
  ASSERT_TRUE(ChangeDirectory(ctx(), "Box"));
  EXPECT_EQ(RenameEntries(ctx(), "Inner", "Kern"), RenameStatus::kDone);
  ASSERT_TRUE(RootDirectory(ctx()));
  EXPECT_EQ(LeafRecords(), records);
  EXPECT_EQ(v_.Problems(), Problems{});
  ExpectHfsutilsReads({{":Uno", "One"}, {":Zwo", "Two"}, {":Zhree", "Three"}, {":Box:Kern", "Inner"}},
                      {":Uno", ":Zwo", ":Zhree", ":Box:", ":Box:Kern"});
  EXPECT_EQ(DeleteEntries(ctx(), "Uno"), DeleteStatus::kDone);
  EXPECT_EQ(v_.Problems(), Problems{});
  CopyNewFile();
}

TEST_F(FileThreadTest, TheAttributesDialogsNewNameRenamesTheThread) {
  v_.ui().answers = {"name Drei", "write"};
  EXPECT_EQ(EditAttributes(ctx(), "Three", nullptr), 1);
  EXPECT_EQ(v_.Problems(), Problems{});
  CopyNewFile();
  ExpectHfsutilsReads({{":One", "One"}, {":Two", "Two"}, {":Drei", "Three"}, {":Box:Inner", "Inner"}},
                      {":One", ":Two", ":Drei", ":New.txt", ":Box:", ":Box:Inner"});
}

}  // namespace
}  // namespace tarvo
