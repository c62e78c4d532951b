// The alternate volume header: the second-to-last sector of the volume's
// own area (its partition, or the sectors of a bare volume), rewritten with
// the primary through tarvo-cli, and nothing outside that area ever written.
// The volumes are made by hfsutils (a black box), which keeps the alternate
// in the same place.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/big_endian.h"
#include "hfs/volume_header.h"
#include "support/apple_map_image.h"
#include "support/cli_process.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

using namespace tarvo::testing;
using Bytes8 = std::vector<std::uint8_t>;

constexpr std::size_t kSector = 512;

// A volume's own area on the medium, in sectors.
struct Area {
  std::uint64_t first = 0;
  std::uint64_t count = 0;
};

Bytes8 SectorOf(const Bytes8& image, std::uint64_t sector) {
  const auto at = image.begin() + static_cast<std::ptrdiff_t>(sector * kSector);
  return Bytes8(at, at + kSector);
}

void ExpectSameOutside(const Bytes8& before, const Bytes8& after, Area area) {
  ASSERT_EQ(before.size(), after.size());
  const auto start = static_cast<std::ptrdiff_t>(area.first * kSector);
  const auto end = static_cast<std::ptrdiff_t>((area.first + area.count) * kSector);
  EXPECT_TRUE(std::equal(before.begin(), before.begin() + start, after.begin())) << "changed before the volume";
  EXPECT_TRUE(std::equal(before.begin() + end, before.end(), after.begin() + end)) << "changed after the volume";
}

// The area's second-to-last sector holds the same header as its third.
void ExpectAlternateIsPrimary(const Bytes8& image, Area area) {
  const Bytes8 primary = SectorOf(image, area.first + 2);
  EXPECT_EQ(GetU16(primary, mdb::drSigWord), kHfsSignature);
  EXPECT_EQ(SectorOf(image, area.first + area.count - 2), primary);
}

// A pattern over sectors [first, first + count) of the image.
void Scribble(const std::string& image, Area area) {
  Bytes8 bytes = ReadWholeFile(image);
  for (std::uint64_t i = area.first * kSector; i < (area.first + area.count) * kSector; ++i)
    bytes[i] = static_cast<std::uint8_t>(i * 13 + 5);
  WriteWholeFile(image, bytes);
}

// MD through tarvo-cli; `input` answers the partition question.
void MakeFolder(const ScratchDir& dir, const std::string& image, bool pickDrive = true, const std::string& input = "") {
  CliRun run;
  run.args = {"--image", image};
  if (pickDrive) run.args.push_back("/A00");
  run.args.insert(run.args.end(), {"-c", "MD Fresh"});
  run.input = input;
  run.tempDir = dir.Path("");
  const CliResult result = RunTarvoCli(run);
  EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
}

TEST(AlternateVolumeHeader, EachOfTwoHfsPartitionsKeepsItsOwn) {
  ScratchDir dir;
  const std::string image = dir.Path("two.img");
  const Area one{64, 2000}, two{2064, 3000};
  constexpr std::uint32_t kBlocks = 2064 + 3000 + 32;
  AppleMapImage medium(kBlocks);
  medium.Descriptor(kBlocks)
      .Entry(1, 4, 1, 63, "Apple", "Apple_partition_map")
      .Entry(2, 4, 64, 2000, "One", "Apple_HFS")
      .Entry(3, 4, 2064, 3000, "Two", "Apple_HFS")
      .Entry(4, 4, 5064, 32, "Extra", "Apple_Free");
  WriteWholeFile(image, medium.bytes);
  ASSERT_TRUE(FormatHfsPartition(dir.Path(""), image, "One", 1));
  ASSERT_TRUE(FormatHfsPartition(dir.Path(""), image, "Two", 2));
  Scribble(image, {5064, 32});

  for (const auto& [row, area] : {std::pair{"0", one}, std::pair{"1", two}}) {
    SCOPED_TRACE(std::string("partition row ") + row);
    const Bytes8 before = ReadWholeFile(image);
    MakeFolder(dir, image, true, std::string(row) + "\n");
    const Bytes8 after = ReadWholeFile(image);
    ExpectSameOutside(before, after, area);
    ExpectAlternateIsPrimary(after, area);
  }
}

TEST(AlternateVolumeHeader, ABareVolumeHasItAtTheImagesSecondToLastSector) {
  // With the drive named and with the drive dialog, which reports the
  // medium's size; the larger volume leaves sectors unused between its last
  // allocation block and the alternate.
  for (const int kilobytes : {1440, 40001})
  for (const bool pickDrive : {true, false}) {
    SCOPED_TRACE(std::to_string(kilobytes) + (pickDrive ? "K, /A00" : "K, drive dialog"));
    ScratchDir dir;
    const std::string image = dir.Path("bare.img");
    ASSERT_TRUE(MakeHfsVolume(dir.Path(""), image, "Bare", kilobytes));
    MakeFolder(dir, image, pickDrive);
    const Bytes8 after = ReadWholeFile(image);
    ExpectAlternateIsPrimary(after, {0, after.size() / kSector});
    EXPECT_EQ(GetU32(SectorOf(after, after.size() / kSector - 2), mdb::drDirCnt), 1u);
  }
}

}  // namespace
}  // namespace tarvo
