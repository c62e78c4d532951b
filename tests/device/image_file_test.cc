#include "device/image_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include <gtest/gtest.h>

#include "support/scratch_files.h"

namespace tarvo {
namespace {

constexpr std::uint32_t kBlocks = 4096;  // 2 MB

class ImageFileTest : public ::testing::Test {
 protected:
  ImageFileTest() : path_(dir_.Path("sparse.image")) {
    testing::WriteWholeFile(path_, {});
    EXPECT_EQ(truncate(path_.c_str(), off_t{kBlocks} * 512), 0);
    EXPECT_EQ(image_.Open({path_, false, 512}), "");
  }
  std::uint64_t AllocatedBytes() {
    struct stat info {};
    EXPECT_EQ(stat(path_.c_str(), &info), 0);
    return static_cast<std::uint64_t>(info.st_blocks) * 512;
  }

  testing::ScratchDir dir_;
  std::string path_;
  ImageFile image_;
};

// A long read finds the hole; a write that then lands in it must be read
// back, not answered with the hole's zeros.
TEST_F(ImageFileTest, AWriteIntoAKnownHoleReadsBack) {
  std::vector<std::uint8_t> run(64 * 1024, 0xEE);
  ASSERT_TRUE(image_.Read(0, run));
  EXPECT_EQ(run, std::vector<std::uint8_t>(run.size(), 0));

  const std::vector<std::uint8_t> block(512, 0x5A);
  for (const std::uint32_t at : {1000u, 3000u, 10u}) {
    ASSERT_TRUE(image_.Write(at, block));
    std::vector<std::uint8_t> back(512);
    ASSERT_TRUE(image_.Read(at, back));
    EXPECT_EQ(back, block) << "block " << at;
  }
  std::vector<std::uint8_t> around(64 * 1024);
  ASSERT_TRUE(image_.Read(960, around));
  EXPECT_EQ(around[40 * 512], 0x5A);
  EXPECT_EQ(around[0], 0);
}

TEST_F(ImageFileTest, ZerosWrittenOverAHoleLeaveTheImageSparse) {
  const std::uint64_t before = AllocatedBytes();
  ASSERT_TRUE(image_.Write(200, std::vector<std::uint8_t>(64 * 1024, 0)));
  EXPECT_EQ(AllocatedBytes(), before);
  ASSERT_TRUE(image_.Write(200, std::vector<std::uint8_t>(512, 1)));
  EXPECT_GT(AllocatedBytes(), before);
}

}  // namespace
}  // namespace tarvo
