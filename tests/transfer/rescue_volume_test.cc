// The rescue of a volume that hfsutils filled, after its catalog's header
// node and every index node were overwritten with zeros: the volume still
// opens, and menu 130 recovers every file byte for byte as hcopy extracted
// it before the damage; with the volume header gone as well, the geometry
// typed into "Volume Scanning Parameters" is what the scan uses.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/big_endian.h"
#include "hfs/btree.h"
#include "hfs/volume_header.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"
#include "ui/dispatcher.h"
#include "ui/menu_model.h"
#include "ui/open_volume.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;
using testing::ShellQuote;
using Data = std::vector<std::uint8_t>;

constexpr int kFiles = 40;

std::string FileName(int i) { return "file" + std::to_string(100 + i) + ".bin"; }

Data Content(int i) {
  Data d(300 + 97 * i);
  for (std::size_t k = 0; k < d.size(); ++k) d[k] = static_cast<std::uint8_t>(k * (i + 3) + i);
  return d;
}

class RescueVolumeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new testing::ScratchDir;
    built_ = Build();
  }
  static void TearDownTestSuite() { delete dir_; }

  // 40 files make a catalog of several leaves under an index node; each is
  // extracted again with hcopy as the reference.
  static bool Build() {
    const std::string home = dir_->Path("");
    image_ = dir_->Path("v.img");
    fs::create_directory(dir_->Path("ref"));
    if (!testing::MakeHfsVolume(home, image_, "Rescue", 2048)) return false;
    std::vector<std::string> in, out;
    for (int i = 0; i < kFiles; ++i) {
      const std::string source = dir_->Path("src" + std::to_string(i));
      testing::WriteWholeFile(source, Content(i));
      in.push_back("hcopy -r " + ShellQuote(source) + " :" + FileName(i));
      out.push_back("hcopy -r :" + FileName(i) + " " + ShellQuote(dir_->Path("ref/" + FileName(i))));
    }
    return testing::RunHfsutils(home, image_, in) && testing::RunHfsutils(home, image_, out);
  }

  // A copy of the volume whose catalog header node and index nodes are
  // zeros; the number of index nodes destroyed in `indexNodes`.
  std::string Damaged(int& indexNodes) {
    const std::string path = scratch_.Path("damaged.img");
    fs::copy_file(image_, path);
    Data image = testing::ReadWholeFile(path);
    const ConstBytes mdb = ConstBytes(image).subspan(1024, 512);
    const std::size_t blockSize = GetU32(mdb, mdb::drAlBlkSiz);
    const std::size_t start = GetU16(mdb, mdb::drAlBlSt) * 512 + GetU16(mdb, mdb::drCTExtRec) * blockSize;
    const std::size_t nodes = GetU32(mdb, mdb::drCTFlSize) / 512;
    indexNodes = 0;
    for (std::size_t n = 0; n < nodes; ++n) {
      const Bytes node = Bytes(image).subspan(start + n * 512, 512);
      if (NodeType(node) == kIndexNode && NodeRecordCount(node) != 0) ++indexNodes;
      if (NodeType(node) == kIndexNode || NodeType(node) == kHeaderNode) std::fill(node.begin(), node.end(), 0);
    }
    geometry_ = std::to_string(GetU16(mdb, mdb::drAlBlSt)) + " " + std::to_string(blockSize / 512);
    testing::WriteWholeFile(path, image);
    return path;
  }

  void ExpectEveryFileRecovered() {
    for (int i = 0; i < kFiles; ++i) {
      SCOPED_TRACE(FileName(i));
      ASSERT_TRUE(fs::exists(scratch_.Path("pc/" + FileName(i))));
      EXPECT_EQ(testing::ReadWholeFile(scratch_.Path("pc/" + FileName(i))),
                testing::ReadWholeFile(dir_->Path("ref/" + FileName(i))));
    }
  }

  static testing::ScratchDir* dir_;
  static std::string image_;
  static bool built_;
  testing::ScratchDir scratch_;
  std::string geometry_;
};

testing::ScratchDir* RescueVolumeTest::dir_ = nullptr;
std::string RescueVolumeTest::image_;
bool RescueVolumeTest::built_ = false;

TEST_F(RescueVolumeTest, AVolumeWithoutItsCatalogIndexIsRescued) {
  ASSERT_TRUE(built_);
  int indexNodes = 0;
  testing::MountedVolume volume(Damaged(indexNodes));
  ASSERT_GT(indexNodes, 0);
  Context& ctx = volume.ctx;
  ASSERT_EQ(OpenVolume(ctx), 1);  // opens, lists nothing, does not hang
  fs::create_directory(scratch_.Path("pc"));
  testing::InDirectory in(scratch_.Path("pc"));
  volume.ui.answers = {"start", ""};
  DispatchCommand(ctx, kMenuMediumScanning);
  ExpectEveryFileRecovered();
  // Parameters were not offered: the volume header gave the geometry.
  EXPECT_EQ(std::count(volume.ui.dialogs.begin(), volume.ui.dialogs.end(), "DLG_PARAM"), 0);
  EXPECT_EQ(ctx.settings.modeFlags & kCopyData, kCopyData);
}

TEST_F(RescueVolumeTest, WithoutAVolumeHeaderTheTypedGeometryIsUsed) {
  ASSERT_TRUE(built_);
  int indexNodes = 0;
  const std::string path = Damaged(indexNodes);
  Data image = testing::ReadWholeFile(path);
  std::fill_n(image.begin() + 1024, 512, 0);
  std::fill_n(image.end() - 1024, 512, 0);
  testing::WriteWholeFile(path, image);
  testing::MountedVolume volume(path);
  Context& ctx = volume.ctx;
  EXPECT_EQ(OpenVolume(ctx), 0);
  fs::create_directory(scratch_.Path("pc"));
  testing::InDirectory in(scratch_.Path("pc"));
  // The drive first, as it was dropped; Start asks for the geometry.
  volume.ui.answers = {"0", "start", geometry_, "cancel"};
  DispatchCommand(ctx, kMenuMediumScanning);
  EXPECT_EQ(std::count(volume.ui.dialogs.begin(), volume.ui.dialogs.end(), "DLG_PARAM"), 1);
  ExpectEveryFileRecovered();
}

}  // namespace
}  // namespace tarvo
