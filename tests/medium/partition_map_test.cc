#include "medium/partition_map.h"

#include <gtest/gtest.h>

#include "base/big_endian.h"
#include "support/apple_map_image.h"
#include "support/medium_context.h"
#include "ui/context.h"
#include "ui/partition_dialog.h"

namespace tarvo {
namespace {

using testing::AppleMapImage;

class PartitionMapTest : public ::testing::Test {
 protected:
  MediumMap Read(const AppleMapImage& image) {
    m.Insert(image.bytes, image.blockSize);
    return ReadPartitionMap(m.ctx, list);
  }
  testing::MediumContext m;
  PartitionList list;
};

TEST_F(PartitionMapTest, HfsTypeIsANineCharacterCaseSensitivePrefix) {
  AppleMapImage image(400);
  image.Descriptor(400)
      .Entry(1, 4, 10, 10, "x", "Apple_HFSX")
      .Entry(2, 4, 20, 10, "y", "apple_hfs")
      .Entry(3, 4, 30, 10, "z", "Apple_HF")
      .Entry(4, 4, 40, 10, "w", "Apple_PRODOS");
  ASSERT_EQ(Read(image), MediumMap::kNewMap);
  ASSERT_EQ(list.count, 1u);
  EXPECT_EQ(list.entries[0].name, "x");
}

TEST_F(PartitionMapTest, SizeFallsBackToThePartitionAndZeroSizeIsSkipped) {
  AppleMapImage image(400);
  image.Descriptor(400).Entry(1, 2, 100, 0, "empty", "Apple_HFS", 0).Entry(2, 2, 200, 50, "whole", "Apple_HFS", 0);
  ASSERT_EQ(Read(image), MediumMap::kNewMap);
  ASSERT_EQ(list.count, 1u);
  EXPECT_EQ(list.entries[0].sectorCount, 50u);
  EXPECT_EQ(m.ctx.volume.volumeOrigin, 200);

  AppleMapImage none(400);
  none.Descriptor(400).Entry(1, 1, 100, 0, "empty", "Apple_HFS", 0);
  EXPECT_EQ(Read(none), MediumMap::kNewMap);
  EXPECT_EQ(list.count, 0u);
  EXPECT_EQ(m.ctx.volume.volumeOrigin, 0);
}

TEST_F(PartitionMapTest, OldMapDescriptorOnlyAndUnknownBlockOne) {
  AppleMapImage old(400);
  old.Descriptor(400).OldMap(96);
  PutU32(old.bytes, 512 + 6, 300);
  EXPECT_EQ(Read(old), MediumMap::kOldMap);
  EXPECT_EQ(m.ctx.volume.volumeOrigin, 96);
  EXPECT_EQ(m.ctx.volume.partitionSectors, 300u);

  AppleMapImage bare(400);
  bare.Header(2);
  EXPECT_EQ(Read(bare), MediumMap::kNoDescriptor);
  EXPECT_EQ(m.ctx.volume.volumeOrigin, 0);
  EXPECT_EQ(m.ctx.volume.partitionSectors, 0u);

  // An unreadable start of the medium reads as no descriptor.
  m.Insert(old.bytes);
  m.faults->unreadableSectors = {1};
  EXPECT_EQ(ReadPartitionMap(m.ctx, list), MediumMap::kNoDescriptor);

  AppleMapImage behind(400);
  behind.Descriptor(400).Header(2);
  EXPECT_EQ(Read(behind), MediumMap::kVolumeBehindDescriptor);
  EXPECT_EQ(m.ctx.volume.volumeOrigin, 0);

  AppleMapImage unknown(400);
  unknown.Descriptor(400);
  EXPECT_EQ(Read(unknown), MediumMap::kUnknownBlock1);

  // A descriptor without a block count keeps the capacity the drive gave.
  AppleMapImage uncounted(400);
  uncounted.Descriptor(0).OldMap(96);
  m.Insert(uncounted.bytes);
  m.ctx.volume.deviceSectors = 400;
  EXPECT_EQ(ReadPartitionMap(m.ctx, list), MediumMap::kOldMap);
  EXPECT_EQ(m.ctx.volume.deviceSectors, 400u);
}

TEST_F(PartitionMapTest, NamesAreBoundedAndTwelvePartitionsAreKept) {
  AppleMapImage image(400);
  image.Descriptor(400);
  for (std::uint32_t b = 1; b <= 14; ++b) image.Entry(b, 14, 20 * b, 10, std::string(32, 'a' + b), "Apple_HFS");
  ASSERT_EQ(Read(image), MediumMap::kNewMap);
  ASSERT_EQ(list.count, 12u);
  EXPECT_EQ(list.entries[0].name, std::string(32, 'b'));
  EXPECT_EQ(list.entries[11].start, 240u);
}

TEST_F(PartitionMapTest, BlocksOf1024BytesAreCountedIn512ByteSectors) {
  AppleMapImage image(3000, 1024);
  image.Descriptor(3000).Entry(1, 2, 2, 100, "map", "Apple_partition_map").Entry(2, 2, 100, 500, "HFS", "Apple_HFS");
  ASSERT_EQ(Read(image), MediumMap::kNewMap);
  EXPECT_EQ(m.ctx.volume.sectorSize, 1024);
  EXPECT_EQ(m.ctx.volume.deviceSectors, 6000u);
  EXPECT_EQ(list.entries[0].start, 200u);
  EXPECT_EQ(list.entries[0].sectorCount, 1000u);
  EXPECT_EQ(m.ctx.volume.volumeOrigin, 200);
}

}  // namespace
}  // namespace tarvo
