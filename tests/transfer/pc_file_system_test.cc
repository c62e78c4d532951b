#include "transfer/pc_file_system.h"

#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include <filesystem>

#include "support/scratch_files.h"

namespace tarvo {
namespace {

using namespace tarvo::testing;

std::uint64_t FreeBytes(const std::filesystem::path& dir) {
  struct statvfs info {};
  EXPECT_EQ(statvfs(dir.c_str(), &info), 0);
  return std::uint64_t{info.f_bavail} * info.f_frsize;
}

TEST(EnoughPcSpace, AsksOnceThenCountsDownWhatItLetsThrough) {
  ScratchDir scratch;
  const std::filesystem::path dir = scratch.Path("");
  PcFreeSpace space;
  EXPECT_FALSE(EnoughPcSpace(space, dir, FreeBytes(dir) + (std::uint64_t{1} << 30)));
  ASSERT_NE(space.unit, 0u);
  ASSERT_TRUE(EnoughPcSpace(space, dir, 1));
  const std::uint64_t before = space.freeUnits;
  EXPECT_TRUE(EnoughPcSpace(space, dir, 3 * space.unit + 1));
  EXPECT_EQ(space.freeUnits, before - 4);  // whole units, rounded up
  EXPECT_TRUE(EnoughPcSpace(space, dir, 0));
  EXPECT_EQ(space.freeUnits, before - 4);
}

TEST(EnoughPcSpace, AsksAgainWhenLittleWouldRemainOrTheFolderChanges) {
  ScratchDir scratch;
  const std::filesystem::path dir = scratch.Path("");
  const std::uint64_t unit = 4096;
  // A count that says the disk is (nearly) full is checked, not believed.
  for (const std::uint64_t remembered : {std::uint64_t{0}, std::uint64_t{10}}) {
    PcFreeSpace space{dir, unit, remembered};
    EXPECT_TRUE(EnoughPcSpace(space, dir, 4 * unit)) << remembered;
    EXPECT_GT(space.freeUnits, 8u) << remembered;
  }
  // Another folder may lie on another file system.
  PcFreeSpace space{std::filesystem::path("/proc"), unit, std::uint64_t{1} << 40};
  EXPECT_FALSE(EnoughPcSpace(space, dir, FreeBytes(dir) + (std::uint64_t{1} << 30)));
  EXPECT_EQ(space.dir, dir);
}

}  // namespace
}  // namespace tarvo
