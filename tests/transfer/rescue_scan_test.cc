#include "transfer/rescue_scan.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>

#include "base/log_file.h"
#include "hfs/btree.h"
#include "hfs/catalog_record.h"
#include "hfs/mac_date.h"
#include "support/byte_pattern.h"
#include "support/hfs_nodes.h"
#include "support/medium_context.h"
#include "support/scratch_files.h"
#include "transfer/macbinary.h"
#include "ui/context.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;
using testing::RecordBytes;
using Data = std::vector<std::uint8_t>;

constexpr std::uint32_t kSectors = 256;
constexpr std::uint32_t kMdDate = 3000000000u;

struct Fork {
  std::uint16_t start = 0, count = 0;
  std::uint32_t length = 0;
};

// A file record whose forks lie in one extent each (blocks of one sector).
RecordBytes File(const std::string& name, Fork data, Fork rsrc, std::uint32_t fileId = 20) {
  RecordBytes r = testing::FileRecord(2, name, fileId);
  const std::size_t d = r.size() - 102;
  PutU32(r, d + 26, data.length);
  PutU32(r, d + 30, data.count * 512u);
  PutU16(r, d + 74, data.start);
  PutU16(r, d + 76, data.count);
  PutU32(r, d + 36, rsrc.length);
  PutU32(r, d + 40, rsrc.count * 512u);
  PutU16(r, d + 86, rsrc.start);
  PutU16(r, d + 88, rsrc.count);
  PutU32(r, d + 48, kMdDate);
  return r;
}

Data Block(std::uint8_t seed) { return testing::PatternBytes(512, seed); }

Data Head(const Data& bytes, std::size_t n) { return Data(bytes.begin(), bytes.begin() + n); }

class RescueScanTest : public ::testing::Test {
 protected:
  RescueScanTest() : medium_(kSectors * 512), in_(fs::path(pc_.Path(""))) {}

  void Put(std::uint32_t sector, std::span<const std::uint8_t> bytes) {
    std::copy(bytes.begin(), bytes.end(), medium_.begin() + sector * 512);
  }
  void PutLeaf(std::uint32_t sector, const std::vector<RecordBytes>& records) {
    Put(sector, testing::BuildNode(kLeafNode, 1, 0, records));
  }
  std::uint32_t Scan(std::uint16_t copyMode = kCopyData, std::set<std::uint32_t> unreadable = {}) {
    m_.Insert(medium_);
    m_.faults->unreadableSectors = unreadable;
    Context& ctx = m_.ctx;
    ctx.volume.deviceSectors = kSectors;
    ctx.volume.sectorsPerBlock = 1;
    ctx.volume.allocBlockSize = 512;
    ctx.settings.modeFlags = copyMode;
    return ScanMedium(ctx, fields_);
  }
  Data Pc(const std::string& name) const { return testing::ReadWholeFile(pc_.Path(name)); }
  void ClearPc() const {
    for (const fs::directory_entry& e : fs::directory_iterator(pc_.Path(""))) fs::remove(e.path());
  }
  std::size_t PcFiles() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(pc_.Path("")), fs::directory_iterator()));
  }

  Data medium_;
  testing::ScratchDir pc_;
  testing::InDirectory in_;
  testing::MediumContext m_;
  RescueFields fields_;
};

TEST_F(RescueScanTest, TheCopyModeChoosesTheFork) {
  Put(40, Block(1));
  Put(50, Block(2));
  PutLeaf(100, {File("nodata.d", {0, 0, 0}, {50, 1, 300}), File("both.d", {40, 1, 20}, {50, 1, 30}),
                File("empty.d", {}, {})});
  EXPECT_EQ(Scan(), 3u);
  EXPECT_EQ(Pc("nodata.d"), Head(Block(2), 300));
  EXPECT_EQ(Pc("both.d"), Head(Block(1), 20));
  EXPECT_TRUE(Pc("empty.d").empty());
  struct stat info {};
  ASSERT_EQ(stat(pc_.Path("both.d").c_str(), &info), 0);
  EXPECT_EQ(info.st_mtime, MacDateToPcTime(kMdDate));

  ClearPc();
  Scan(kCopyResource);
  EXPECT_EQ(Pc("both.d"), Head(Block(2), 30));
}

TEST_F(RescueScanTest, AFailingRequestIsReadAgainSectorBySector) {
  Put(40, Block(1));
  PutLeaf(100, {File("saved.d", {}, {})});
  PutLeaf(101, {File("lost.d", {}, {})});
  EXPECT_EQ(Scan(kCopyData, {101}), 1u);
  EXPECT_TRUE(fs::exists(pc_.Path("saved.d")));
  EXPECT_FALSE(fs::exists(pc_.Path("lost.d")));
  std::set<std::uint32_t> singles;
  for (const testing::MediumContext::Range& r : m_.Reads()) {
    if (r.count == 1) singles.insert(r.first);
    EXPECT_LE(r.first + r.count, kSectors);
  }
  EXPECT_EQ(singles.size(), 64u);
  EXPECT_EQ(*singles.begin(), 64u);
  EXPECT_TRUE(m_.ui.messages.empty());
}

TEST_F(RescueScanTest, AMediumShorterThanToldEndsInSkippedSectors) {
  Put(40, Block(1));
  PutLeaf(200, {File("near the end.d", {40, 1, 10}, {})});
  medium_.resize(250 * 512);
  EXPECT_EQ(Scan(), 1u);
  EXPECT_TRUE(fs::exists(pc_.Path("near the end.d")));
}

TEST_F(RescueScanTest, AForkBeyondItsThreeExtentsIsCutAndLogged) {
  for (std::uint8_t b = 0; b < 4; ++b) Put(40 + b, Block(b));
  RecordBytes r = File("long.d", {40, 1, 4 * 512}, {});
  PutU16(r, r.size() - 102 + 78, 41);  // extents 40/1, 41/1, 42/1: three blocks of four
  PutU16(r, r.size() - 102 + 80, 1);
  PutU16(r, r.size() - 102 + 82, 42);
  PutU16(r, r.size() - 102 + 84, 1);
  PutLeaf(100, {r});
  testing::ScratchDir logDir;
  ASSERT_TRUE(OpenLogForCreate(m_.ctx.log, logDir.Path("rescue.log")));
  EXPECT_EQ(Scan(), 1u);
  std::fclose(m_.ctx.log.file);
  m_.ctx.log.file = nullptr;
  const Data copied = Pc("long.d");
  ASSERT_EQ(copied.size(), 3u * 512);
  EXPECT_EQ(Data(copied.begin() + 1024, copied.end()), Block(2));
  const Data log = testing::ReadWholeFile(logDir.Path("rescue.log"));
  const std::string text(log.begin(), log.end());
  EXPECT_NE(text.find("long.d\tlong.d\r\n"), std::string::npos);
  EXPECT_NE(text.find("The file long.d: the fork goes on beyond the three extents of its catalog record; 1536 of 2048 "
                      "bytes rescued.\r\n"),
            std::string::npos);
}

TEST_F(RescueScanTest, ALeafWithAnythingThatMakesNoSenseGivesNothing) {
  Put(40, Block(1));
  const auto leaf = [](const std::string& name) {
    return testing::BuildNode(kLeafNode, 1, 0,
                              {File(name + "1.d", {40, 1, 10}, {}), File(name + "2.d", {40, 1, 10}, {}),
                               testing::DirectoryRecord(2, name, 50, 0)});
  };
  const std::vector<std::pair<std::string, std::function<void(NodeBuffer&)>>> damages = {
      {"beyond", [](NodeBuffer& n) { PutU16(n, OffsetSlot(1), 600); }},
      {"odd", [](NodeBuffer& n) { PutU16(n, OffsetSlot(1), GetU16(n, OffsetSlot(1)) + 1); }},
      {"backwards", [](NodeBuffer& n) { PutU16(n, OffsetSlot(2), GetU16(n, OffsetSlot(1)) - 2); }},
      {"into the table", [](NodeBuffer& n) { PutU16(n, OffsetSlot(3), 508); }},
      {"too many", [](NodeBuffer& n) { PutU16(n, node::ndNRecs, 250); }},
      {"long key", [](NodeBuffer& n) { n[GetU16(n, OffsetSlot(2))] = 200; }},
      {"unknown type",
       [](NodeBuffer& n) {
         const std::size_t folder = GetU16(n, OffsetSlot(2));
         n[folder + ((n[folder] + 2u) & ~1u)] = 7;  // the folder record's type byte
       }},
      {"short", [](NodeBuffer& n) { PutU16(n, OffsetSlot(3), GetU16(n, OffsetSlot(3)) - 10); }},
  };
  std::vector<NodeBuffer> bad;
  for (const auto& [name, damage] : damages) {
    bad.push_back(leaf(name));
    damage(bad.back());
  }
  for (std::size_t i = 0; i < bad.size(); ++i) Put(static_cast<std::uint32_t>(100 + i), bad[i]);
  Put(120, leaf("sound"));
  EXPECT_EQ(Scan(), 2u);
  EXPECT_TRUE(fs::exists(pc_.Path("sound1.d")));
  EXPECT_TRUE(fs::exists(pc_.Path("sound2.d")));
  EXPECT_EQ(PcFiles(), 2u);
}

TEST_F(RescueScanTest, ARecordClaimingAForkLongerThanTheMediumIsSkipped) {
  Put(40, Block(1));
  PutLeaf(100, {File("huge.d", {40, 1, 0xFFFFFFF0}, {}), File("rsrc.d", {}, {40, 1, (kSectors + 2) * 512}),
                File("whole.d", {40, 1, kSectors * 512}, {})});
  EXPECT_EQ(Scan(kCopyMacBinary), 1u);
  EXPECT_EQ(PcFiles(), 1u);
  EXPECT_EQ(Pc("whole.bin").size(), 128u + kSectors * 512);
}

}  // namespace
}  // namespace tarvo
