#include "hfs/medium_probes.h"

#include <gtest/gtest.h>

#include "base/big_endian.h"
#include "hfs/volume_header.h"
#include "medium/partition_map.h"
#include "support/apple_map_image.h"
#include "support/medium_context.h"

namespace tarvo {
namespace {

using testing::AppleMapImage;

// A header the volume header reader accepts, 1024 bytes into the volume.
void UsableHeader(AppleMapImage& image, std::uint32_t volumeStart) {
  image.Header(volumeStart + 2);
  PutU16(image.bytes, std::size_t{volumeStart + 2} * 512 + mdb::drCTExtRec + 2, 1);
}

void MsDosBootSector(AppleMapImage& image) {
  image.bytes[0] = 0xEB;
  image.bytes[29] = 3;
  image.bytes[510] = 0x55;
  image.bytes[511] = 0xAA;
}

TEST(MediumProbes, TheMapPlacesTheHeaderOfTheChosenPartition) {
  AppleMapImage image(400);
  image.Descriptor(400).Entry(1, 2, 100, 50, "first", "Apple_HFS").Entry(2, 2, 200, 50, "second", "Apple_HFS");
  UsableHeader(image, 100);
  UsableHeader(image, 200);
  testing::MediumContext m;
  m.Insert(image.bytes);

  std::size_t offered = 0;
  const auto second = [&offered](const PartitionList& list) {
    offered = list.count;
    return 1;
  };
  ASSERT_EQ(ProbeMedium(m.ctx, second), MediumKind::kMacVolume);
  EXPECT_EQ(offered, 2u);
  EXPECT_EQ(m.ctx.volume.mdbSector, 202u);
  EXPECT_EQ(m.ctx.volume.volumeOrigin, 205);

  // No choice leaves no partition, and the medium has no header at its start.
  EXPECT_EQ(ProbeMedium(m.ctx, [](const PartitionList&) { return -1; }), MediumKind::kUnknown);
  EXPECT_EQ(m.ctx.volume.volumeOrigin, 0);
}

TEST(MediumProbes, AnHfsHeaderComesBeforeTheMsDosBootSector) {
  testing::MediumContext m;
  AppleMapImage dos(400);
  MsDosBootSector(dos);
  m.Insert(dos.bytes);
  EXPECT_EQ(ProbeMedium(m.ctx), MediumKind::kMsDos);
  EXPECT_EQ(m.ctx.volume.volumeOrigin, -3);

  // A bare volume whose boot blocks end as a boot sector does.
  AppleMapImage both(400);
  MsDosBootSector(both);
  UsableHeader(both, 0);
  m.Insert(both.bytes);
  EXPECT_EQ(ProbeMedium(m.ctx), MediumKind::kMacVolume);
  EXPECT_EQ(m.ctx.volume.volumeOrigin, 5);
}

}  // namespace
}  // namespace tarvo
