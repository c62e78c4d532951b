// The tree work files of a mounted volume: copied at the size the volume
// header states, but never beyond the end of the medium.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/big_endian.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

using namespace tarvo::testing;

// A damaged header states trees far larger than the medium: copying that
// would fill the temporary folder with zeros.
TEST(WorkFileTest, TreeCopiesStopAtTheEndOfTheMedium) {
  ScratchDir dir;
  const std::string image = dir.Path("v.img");
  ASSERT_TRUE(MakeHfsVolume(dir.Path(""), image, "Work", 1024));
  const std::uint64_t mediumBytes = std::filesystem::file_size(image);
  const std::vector<std::uint8_t> sound = ReadWholeFile(image);
  {
    MountedVolume v(image);
    ASSERT_GT(v.Mount(), 0);
    EXPECT_EQ(v.ctx.volume.catalog.fileSize, GetU32(v.ctx.volume.mdb, mdb::drCTFlSize));
  }

  // A 4 GB catalog in three extents of 65535 blocks of 65024 bytes.
  std::vector<std::uint8_t> bytes = sound;
  PutU32(bytes, 1024 + mdb::drCTFlSize, 0xFFFFFFFF);
  PutU32(bytes, 1024 + mdb::drAlBlkSiz, 0xFE00);
  for (std::size_t i = 0; i < 3; ++i) {
    PutU16(bytes, 1024 + mdb::drCTExtRec + 4 * i, static_cast<std::uint16_t>(1 + i));
    PutU16(bytes, 1024 + mdb::drCTExtRec + 4 * i + 2, 0xFFFF);
  }
  WriteWholeFile(image, bytes);
  {
    MountedVolume damaged(image);
    ASSERT_GT(damaged.Mount(), 0);
    EXPECT_LE(damaged.ctx.volume.catalog.fileSize, mediumBytes);
    EXPECT_LE(std::uint64_t{WorkFileNodeCount(damaged.ctx.volume.catalog)} * 512, mediumBytes);
  }

  bytes = sound;
  PutU32(bytes, 1024 + mdb::drXTFlSize, 0xFFFFFFFF);
  for (std::size_t i = 1; i < 3; ++i) PutU16(bytes, 1024 + mdb::drXTExtRec + 4 * i + 2, 0xFFFF);
  WriteWholeFile(image, bytes);
  MountedVolume damaged(image);
  ASSERT_GT(damaged.Mount(), 0);
  OpenExtentsWorkFile(damaged.ctx);
  EXPECT_LE(std::uint64_t{WorkFileNodeCount(damaged.ctx.volume.extents)} * 512, mediumBytes);
}

}  // namespace
}  // namespace tarvo
