// The volume check on copies of an hfsutils volume with one thing damaged,
// each giving exactly the findings that damage calls for.
#include "maintenance/check_volume.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "base/big_endian.h"
#include "hfs/bitmap.h"
#include "hfs/btree.h"
#include "hfs/catalog_delete.h"
#include "hfs/catalog_record.h"
#include "hfs/catalog_search.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"
#include "maintenance/check_catalog.h"
#include "medium/partition_map.h"
#include "support/edit_volume.h"
#include "support/file_threads.h"
#include "support/hfs_nodes.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

using testing::MacBinaryFile;
using testing::MountedVolume;
using testing::RecordBytes;
using testing::RunHfsutils;
using testing::ScratchDir;
using testing::ShellQuote;
using testing::WriteWholeFile;

std::string Text(const CheckReport& report) {
  std::string text;
  for (const std::string& line : CheckReportLines(report)) text += line + "\n";
  return text;
}

std::string Id(std::uint32_t id) { return std::to_string(id); }

void EditNode(TreeWorkFile& tree, const std::function<void(NodeBuffer&)>& change) {
  change(tree.node);
  ASSERT_TRUE(WriteNode(tree, tree.nodeNumber, tree.node));
}

// A 1 MB volume (512-byte blocks): F holds 30 files of 16 KB, "Both" (200 KB
// resource fork) and "Big2" (100 KB data fork) have overflow extents, and
// a chain of nested folders.
class CheckVolumeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = new ScratchDir;
    image_ = scratch_->Path("frag.img");
    const std::string home = scratch_->Path("");
    ASSERT_TRUE(testing::MakeHfsVolume(home, image_, "Frag", 1024));
    std::vector<std::uint8_t> chunk(16384, 0x5A), big(100000, 0xA5), rsrc(204800, 0x3C);
    WriteWholeFile(scratch_->Path("s.bin"), chunk);
    WriteWholeFile(scratch_->Path("big2.bin"), big);
    WriteWholeFile(scratch_->Path("both.bin"), MacBinaryFile("Both", "APPL", "TEST", {1, 2, 3}, rsrc));
    std::vector<std::string> fill{"hmkdir :F"}, holes;
    for (int i = 0; i < 60; ++i) {
      char name[8];
      std::snprintf(name, sizeof name, ":F:s%02d", i);
      fill.push_back("hcopy -r " + ShellQuote(scratch_->Path("s.bin")) + " " + name);
      if (i % 2 == 0) holes.push_back(std::string("hdel ") + name);
    }
    fill.insert(fill.end(), holes.begin(), holes.end());
    std::string deep = "";
    for (int level = 1; level <= 8; ++level) {
      deep += ":D" + std::to_string(level);
      fill.push_back("hmkdir " + deep);
    }
    fill.push_back("hmkdir " + ShellQuote(":\x80rger"));
    fill.push_back("hcopy -r " + ShellQuote(scratch_->Path("s.bin")) + " " + deep + ":deep");
    fill.push_back("hcopy -m " + ShellQuote(scratch_->Path("both.bin")) + " :Both");
    fill.push_back("hcopy -r " + ShellQuote(scratch_->Path("big2.bin")) + " :Big2");
    ASSERT_TRUE(RunHfsutils(home, image_, fill));
  }
  static void TearDownTestSuite() { delete scratch_; }

  void SetUp() override {
    v_ = std::make_unique<MountedVolume>(image_);
    ASSERT_GT(v_->Mount(), 0);
  }

  TreeWorkFile& catalog() { return v_->ctx.volume.catalog; }
  std::array<std::uint8_t, 512>& mdb() { return v_->ctx.volume.mdb; }
  CatalogRecord Find(std::string_view name, int type, std::uint32_t parent = kRootDirId) {
    const FoundRecord found = FindCatalogRecord(catalog(), name, type, parent);
    EXPECT_TRUE(found) << name;
    return *ReadCatalogRecord(found.record);
  }
  std::string Check() { return Text(CheckVolume(v_->ctx)); }

  static ScratchDir* scratch_;
  static std::string image_;
  std::unique_ptr<MountedVolume> v_;
};

ScratchDir* CheckVolumeTest::scratch_ = nullptr;
std::string CheckVolumeTest::image_;

TEST(CheckVolumeGeometry, AVolumeLargerThanItsPartitionIsReported) {
  ScratchDir scratch;
  const std::string image = scratch.Path("mapped.img");
  constexpr std::uint32_t kPartition = 4096;
  ASSERT_TRUE(testing::MakeMappedHfsVolume(scratch.Path(""), image, "Mapped", kPartition));
  std::vector<std::uint8_t> bytes = testing::ReadWholeFile(image);
  PutU32(bytes, 3 * 512 + 12, kPartition / 2);  // pmPartBlkCnt of the HFS entry
  WriteWholeFile(image, bytes);

  MountedVolume v(image);
  PartitionList partitions;
  ASSERT_EQ(ReadPartitionMap(v.ctx, partitions), MediumMap::kNewMap);
  ASSERT_GT(v.Mount(), 0);
  EXPECT_EQ(FitOnMedium(v.ctx.volume), VolumeFit::kPastPartition);
  const VolumeState& volume = v.ctx.volume;
  const std::uint64_t end = static_cast<std::uint64_t>(volume.volumeOrigin) +
                            std::uint64_t{GetU16(volume.mdb, mdb::drNmAlBlks)} * volume.sectorsPerBlock;
  EXPECT_EQ(Text(CheckVolume(v.ctx)), "Volume header: the allocation blocks end at sector " + std::to_string(end) +
                                          ", past the end of the partition at " +
                                          std::to_string(testing::kMappedPartitionStart + kPartition / 2) + "\n");
}

TEST_F(CheckVolumeTest, WrongValence) {
  const CatalogRecord folder = Find("F", kWantDirectory);
  EditNode(catalog(), [&](NodeBuffer&) { PutU16(folder.data, dirrec::dirVal, 31); });
  EXPECT_EQ(Check(), "Catalog: folder \"F\" (ID " + Id(DirectoryId(folder)) + ") has valence 31, but holds 30 items\n");
}

TEST_F(CheckVolumeTest, MissingThread) {
  const CatalogRecord folder = Find("D1", kWantDirectory);
  const std::uint32_t id = DirectoryId(folder);
  ASSERT_TRUE(FindCatalogRecord(catalog(), "*", kWantThread, id));
  ASSERT_GT(catalog().recordIndex, 0) << "the thread must not head its leaf";
  EditNode(catalog(), [&](NodeBuffer& node) {
    std::vector<RecordBytes> kept;
    const std::uint16_t count = NodeRecordCount(node);
    for (std::uint16_t i = 0; i < count; ++i) {
      const std::size_t from = GetU16(node, OffsetSlot(i)), to = GetU16(node, OffsetSlot(i + 1));
      if (i != catalog().recordIndex) kept.emplace_back(node.begin() + from, node.begin() + to);
    }
    const std::uint32_t back = GetU32(node, node::ndBLink);
    node = testing::BuildNode(kLeafNode, 1, NodeForwardLink(node), kept);
    PutU32(node, node::ndBLink, back);
    DecrementU32(catalog().header, header::bthNRecs);
  });
  EXPECT_EQ(Check(), "Catalog: folder \"D1\" (ID " + Id(id) + ") has no thread record\n");
}

TEST_F(CheckVolumeTest, CyclicLeafChain) {
  const std::uint32_t first = GetU32(catalog().header, header::bthFNode);
  const std::uint32_t last = GetU32(catalog().header, header::bthLNode);
  ASSERT_TRUE(ReadNode(catalog(), last));
  EditNode(catalog(), [&](NodeBuffer& n) { PutU32(n, node::ndFLink, first); });
  EXPECT_EQ(Check(), "Catalog node " + Id(last) + ": ndFLink is " + Id(first) +
                         ", expected 0\n"
                         "Catalog tree: the leaf chain from bthFNode loops back to node " +
                         Id(first) + "\n");
}

TEST_F(CheckVolumeTest, BitmapBitClearedUnderAFile) {
  const CatalogRecord big = Find("Big2", kWantFile);
  const std::uint16_t block = GetU16(DataExtents(big), 0) + 1;
  ASSERT_EQ(LoadBitmap(v_->ctx), SectorRunResult::kMoved);
  v_->ctx.volume.bitmap[block / 8] &= static_cast<std::uint8_t>(~(0x80 >> (block % 8)));
  const std::uint16_t free = GetU16(mdb(), mdb::drFreeBks);
  EXPECT_EQ(Check(), "Bitmap: used by file \"Big2\" (ID " + Id(FileId(big)) +
                         "), data fork but free in the bitmap: block " + Id(block) + "\nVolume header: drFreeBks is " +
                         Id(free) + ", the bitmap has " + Id(free + 1) + " free blocks\n");
}

TEST_F(CheckVolumeTest, HeaderCountersOffByOne) {
  const std::uint16_t free = GetU16(mdb(), mdb::drFreeBks);
  IncrementU16(mdb(), mdb::drFreeBks);
  IncrementU32(mdb(), mdb::drFilCnt);
  DecrementU16(mdb(), mdb::drNmRtDirs);
  PutU32(mdb(), mdb::drNxtCNID, FileId(Find("Big2", kWantFile)));
  EXPECT_EQ(Check(),
            "Volume header: drFilCnt is 34, the catalog holds 33 files\n"
            "Volume header: drNmRtDirs is 2, the root folder holds 3 folders\n"
            "Volume header: drNxtCNID is " +
                Id(GetU32(mdb(), mdb::drNxtCNID)) + ", but ID " + Id(GetU32(mdb(), mdb::drNxtCNID)) +
                " is in use\n"
                "Volume header: drFreeBks is " +
                Id(free + 1) + ", the bitmap has " + Id(free) + " free blocks\n");
}

TEST_F(CheckVolumeTest, ExtentOverlappingTheCatalog) {
  const CatalogRecord file = Find("s01", kWantFile, DirectoryId(Find("F", kWantDirectory)));
  const std::uint16_t start = GetU16(DataExtents(file), 0);
  const std::uint16_t catalogStart = GetU16(mdb(), mdb::drCTExtRec);
  // Its whole fork becomes two blocks at the catalog's start.
  EditNode(catalog(), [&](NodeBuffer&) {
    PutU16(DataExtents(file), 0, catalogStart);
    PutU16(DataExtents(file), 2, 2);
    PutU32(file.data, filrec::filPyLen, 1024);
    PutU32(file.data, filrec::filLgLen, 1000);
  });
  const std::string range = Id(catalogStart) + "-" + Id(catalogStart + 1);
  EXPECT_EQ(Check(), "File \"s01\" (ID " + Id(FileId(file)) + "), data fork and the catalog file both use blocks " +
                         range + "\nBitmap: marked in use but part of no file (lost): blocks " + Id(start) + "-" +
                         Id(start + 31) + "\n");
}

TEST_F(CheckVolumeTest, ForkLengthsAgainstTheExtents) {
  const CatalogRecord file = Find("Both", kWantFile);
  const std::uint32_t physical = GetU32(file.data, filrec::filRPyLen);
  const std::uint32_t dataPhysical = GetU32(file.data, filrec::filPyLen);
  EditNode(catalog(), [&](NodeBuffer&) {
    PutU32(file.data, filrec::filRPyLen, physical + 512);
    PutU32(file.data, filrec::filLgLen, dataPhysical + 1);
  });
  const std::string owner = "File \"Both\" (ID " + Id(FileId(file)) + "), ";
  EXPECT_EQ(Check(), owner + "data fork: logical length " + Id(dataPhysical + 1) + " exceeds physical length " +
                         Id(dataPhysical) + "\n" + owner + "resource fork: length " + Id(physical + 512) +
                         ", but its extents hold " + Id(physical) + " bytes\n");
}

TEST_F(CheckVolumeTest, OverflowExtentsOfNoFork) {
  // Big2 has the highest ID: its last overflow record is the tree's last,
  // and stays in order when it moves to an unused ID.
  const CatalogRecord big = Find("Big2", kWantFile);
  const std::uint32_t physical = GetU32(big.data, filrec::filPyLen);
  OpenExtentsWorkFile(v_->ctx);
  TreeWorkFile& extents = v_->ctx.volume.extents;
  ASSERT_TRUE(ReadNode(extents, GetU32(extents.header, header::bthLNode)));
  const std::uint16_t last = NodeRecordCount(extents.node) - 1;
  const Bytes record = *RecordAt(extents.node, last);
  ASSERT_EQ(GetU32(record, 2), FileId(big));
  std::string lost;
  std::uint32_t blocks = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    const std::uint16_t start = GetU16(record, 8 + 4 * i), count = GetU16(record, 10 + 4 * i);
    if (count == 0) continue;
    blocks += count;
    lost += "Bitmap: marked in use but part of no file (lost): " +
            (count == 1 ? "block " + Id(start) : "blocks " + Id(start) + "-" + Id(start + count - 1)) + "\n";
  }
  PutU32(record, 2, 9999);
  EditNode(extents, [](NodeBuffer&) {});
  EXPECT_EQ(Check(), "File \"Big2\" (ID " + Id(FileId(big)) + "), data fork: length " + Id(physical) +
                         ", but its extents hold " + Id(physical - blocks * 512) + " bytes\nExtents node " +
                         Id(extents.nodeNumber) + " record " + Id(last) +
                         ": the extents of file ID 9999, data fork from fork block " + Id(GetU16(record, 6)) +
                         " are not part of the fork\n" + lost);
}

using Problems = std::vector<std::string>;

TEST(CheckCatalogTest, FileThreadsMustMatchTheirFlaggedFile) {
  testing::EditVolume v;
  testing::WriteWholeFile(v.Path("a"), std::vector<std::uint8_t>{'a'});
  ASSERT_TRUE(v.HfsutilsWrite({"hcopy -r " + testing::ShellQuote(v.Path("a")) + " :A"}));
  v.Remount();
  const std::uint32_t id = testing::AddFileThread(v.ctx(), "A");
  ASSERT_NE(id, 0u);
  EXPECT_EQ(v.Problems(), Problems{});

  TreeWorkFile& catalog = v.ctx().volume.catalog;
  const KeyPosition at = LocateCatalogKey(catalog, "", id);
  ASSERT_TRUE(at.exists);
  const CatalogRecord thread = *ReadCatalogRecord(*RecordAt(catalog.node, at.index));
  PutU32(thread.data, thdrec::thdParID, 99);
  PutU8(thread.data, thdrec::thdCName + 1, 'X');
  ASSERT_TRUE(WriteNode(catalog, at.node, catalog.node));
  const std::string file = "\"A\" (ID " + std::to_string(id) + ")";
  EXPECT_EQ(v.Problems(), (Problems{"Catalog: the thread of " + file + " gives parent 99, the record lies in 2",
                                    "Catalog: the thread of " + file + " gives the name \"X\""}));

  ASSERT_EQ(DeleteCatalogRecord(v.ctx(), id, ""), CatalogEditStatus::kDone);
  EXPECT_EQ(v.Problems(),
            Problems{"Catalog: file " + file + " has no thread record, though its flags say it has one"});
}

}  // namespace
}  // namespace tarvo
