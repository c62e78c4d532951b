// Deleting many files of one folder: the catalog loses them a leaf at a
// time, their threads go with them, a folder that asks stops the run where
// it stands, and the volume stays sound for the check and for hfsutils.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "hfs/btree.h"
#include "hfs/catalog_record.h"
#include "hfs/catalog_search.h"
#include "hfs/delete_entries.h"
#include "hfs/delete_question.h"
#include "hfs/flush.h"
#include "hfs/navigation.h"
#include "hfs/node_map.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"
#include "support/edit_volume.h"
#include "support/file_threads.h"

namespace tarvo {
namespace {

constexpr int kFiles = 90;

std::string FileName(int i) {
  char name[8];
  std::snprintf(name, sizeof name, "f%03d", i);
  return name;
}

class DeleteEntriesTest : public ::testing::Test {
 protected:
  // Folder Many: f001 to f090, the folder "f050x" (holding one file) between
  // f050 and f051, and "a keep" and "g keep", which "f*" does not match;
  // every tenth file has a thread record.
  DeleteEntriesTest() : v_(4096, "Many") {
    std::vector<std::string> commands{"hmkdir :Many", "hmkdir :Many:f050x"};
    std::string copy = "hcopy -r";
    for (int i = 1; i <= kFiles; ++i) {
      const std::string pc = v_.Path(FileName(i));
      testing::WriteWholeFile(pc, std::vector<std::uint8_t>(100 + i, static_cast<std::uint8_t>(i)));
      copy += " " + testing::ShellQuote(pc);
    }
    commands.push_back(copy + " :Many:");
    for (const std::string name : {"a keep", "g keep", "inner"}) {
      testing::WriteWholeFile(v_.Path(name), std::vector<std::uint8_t>{'k'});
      commands.push_back("hcopy -r " + testing::ShellQuote(v_.Path(name)) +
                         (name == "inner" ? " :Many:f050x:" : " :Many:"));
    }
    EXPECT_TRUE(v_.HfsutilsWrite(commands));
    std::vector<std::string> threaded;
    for (int i = 10; i <= kFiles; i += 10) threaded.push_back("Many:" + FileName(i));
    EXPECT_TRUE(testing::AddFileThreads(v_.image(), threaded));
  }

  void EnterMany() {
    Context& ctx = v_.ctx();
    const FoundRecord many = FindCatalogRecord(ctx.volume.catalog, "Many", kWantDirectory, kRootDirId);
    ASSERT_TRUE(many);
    const std::optional<CatalogRecord> record = ReadCatalogRecord(many.record);
    ASSERT_TRUE(record);
    ASSERT_TRUE(EnterDirectoryById(ctx, DirectoryId(*record)));
  }

  // The catalog's leaves, in chain order, with their record counts.
  std::vector<std::pair<std::uint32_t, std::uint16_t>> Leaves() {
    TreeWorkFile& tree = v_.ctx().volume.catalog;
    std::vector<std::pair<std::uint32_t, std::uint16_t>> leaves;
    for (std::uint32_t n = GetU32(tree.header, header::bthFNode); n != 0 && leaves.size() < 1000;) {
      const NodeBuffer* node = PeekNode(tree, n);
      if (node == nullptr) break;
      leaves.emplace_back(n, NodeRecordCount(*node));
      n = NodeForwardLink(*node);
    }
    return leaves;
  }

  std::set<std::string> Kept(int firstFile) {
    std::set<std::string> kept{":Many:", ":Many:a keep", ":Many:g keep", ":Many:f050x:", ":Many:f050x:inner"};
    for (int i = firstFile; i <= kFiles; ++i) kept.insert(":Many:" + FileName(i));
    return kept;
  }

  testing::EditVolume v_;
};

TEST_F(DeleteEntriesTest, FilesGoALeafAtATimeUntilAFolderIsRefused) {
  Context& ctx = v_.ctx();
  EnterMany();
  const auto before = Leaves();
  // Leaves full of matching files are what the deletion must not rewrite
  // once per record.
  ASSERT_TRUE(std::any_of(before.begin(), before.end(), [](const auto& leaf) { return leaf.second >= 3; }));

  v_.ui().answers = {"cancel"};  // "The directory is not empty." for f050x
  EXPECT_EQ(DeleteEntries(ctx, "f*", AskBeforeNonEmpty(ctx)), DeleteStatus::kCancelled);
  for (const auto& [n, count] : before) {
    EXPECT_LE(NodeWrites(ctx.volume.catalog, n), 2u) << "leaf " << n << " of " << count << " records";
  }
  EXPECT_TRUE(FlushVolume(ctx).ok());
  EXPECT_EQ(v_.Problems(), std::vector<std::string>{});
  EXPECT_EQ(v_.HfsutilsTree(), Kept(51));

  v_.Remount();
  Context& again = v_.ctx();
  EnterMany();
  v_.ui().answers = {"ok"};
  EXPECT_EQ(DeleteEntries(again, "f*", AskBeforeNonEmpty(again)), DeleteStatus::kDone);
  EXPECT_TRUE(FlushVolume(again).ok());
  // The emptied leaves are cleared on the medium as well, after the update.
  const VolumeState& v = again.volume;
  const std::vector<std::uint8_t> medium = testing::ReadWholeFile(v_.image());
  const std::uint64_t catalogSector = static_cast<std::uint64_t>(v.volumeOrigin) +
                                      std::uint64_t{GetU16(v.mdb, mdb::drCTExtRec)} * v.sectorsPerBlock;
  int cleared = 0;
  for (const auto& [n, count] : before) {
    if (IsNodeInUse(again.volume.catalog, n).value_or(true)) continue;
    const auto at = medium.begin() + static_cast<std::ptrdiff_t>((catalogSector + n) * kNodeSize);
    EXPECT_TRUE(std::all_of(at, at + kNodeSize, [](std::uint8_t b) { return b == 0; })) << "leaf " << n;
    ++cleared;
  }
  EXPECT_GT(cleared, 0);
  EXPECT_EQ(v_.Problems(), std::vector<std::string>{});
  EXPECT_EQ(v_.HfsutilsTree(), (std::set<std::string>{":Many:", ":Many:a keep", ":Many:g keep"}));
}

}  // namespace
}  // namespace tarvo
