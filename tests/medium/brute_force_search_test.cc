#include "medium/brute_force_search.h"

#include <gtest/gtest.h>

#include "support/apple_map_image.h"
#include "support/medium_context.h"

namespace tarvo {
namespace {

using testing::AppleMapImage;

// One past the last 512-byte sector any read reached.
std::uint32_t EndOfReads(const testing::MediumContext& m) {
  std::uint32_t end = 0;
  for (const auto& r : m.Reads()) end = std::max(end, (r.first + r.count) * (m.ctx.volume.sectorSize / 512));
  return end;
}

TEST(BruteForceSearch, FindsAHeaderAtSector2000AndSetsTheGeometry) {
  testing::MediumContext m;
  AppleMapImage image(2100);
  image.Header(2000, 3, 5, 1024, 100);
  m.Insert(image.bytes);
  EXPECT_EQ(BruteForceSearch(m.ctx), 2003u);
  const VolumeState& v = m.ctx.volume;
  EXPECT_EQ(v.volumeOrigin, 2003);
  EXPECT_EQ(v.mdbSector, 2000u);
  EXPECT_EQ(v.mdb[0], 'B');
  EXPECT_EQ(v.bitmapSectors, 2);
  EXPECT_EQ(v.allocBlockSize, 1024u);
  EXPECT_EQ(v.sectorsPerBlock, 2u);
  // Unknown capacity: the volume's end, so the alternate header follows
  // the last allocation block.
  EXPECT_EQ(v.deviceSectors, 2003u + 200 + 2);
}

TEST(BruteForceSearch, StopsAfterSector2047AndAtTheMediumsEnd) {
  testing::MediumContext m;
  AppleMapImage late(2200);
  late.Header(2048);
  m.Insert(late.bytes);
  EXPECT_EQ(BruteForceSearch(m.ctx), 0u);
  EXPECT_EQ(m.ctx.volume.volumeOrigin, 0);
  EXPECT_EQ(EndOfReads(m), 2048u);

  AppleMapImage small(1000);
  small.Header(990);
  m.Insert(small.bytes);
  m.ctx.volume.deviceSectors = 1000;
  EXPECT_EQ(BruteForceSearch(m.ctx), 993u);
  EXPECT_EQ(EndOfReads(m), 1000u);
  EXPECT_EQ(m.Reads().size(), 16u);  // no chunk failed and was retried
  EXPECT_EQ(m.ctx.volume.deviceSectors, 1000u);
}

TEST(BruteForceSearch, UnusableFindsGiveNothing) {
  testing::MediumContext m;
  AppleMapImage atZero(100);
  atZero.Header(0).Header(10);
  m.Insert(atZero.bytes);
  EXPECT_EQ(BruteForceSearch(m.ctx), 0u);

  AppleMapImage noBlocks(100);
  noBlocks.Header(10, 3, 5, 0);
  m.Insert(noBlocks.bytes);
  m.ctx.volume.deviceSectors = 100;
  EXPECT_EQ(BruteForceSearch(m.ctx), 0u);
  EXPECT_EQ(m.ctx.volume.volumeOrigin, 0);
}

TEST(BruteForceSearch, CountsLogicalSectorsOn1024ByteMedia) {
  testing::MediumContext m;
  AppleMapImage image(1100, 1024);
  image.Header(2001, 3, 4, 2048, 10);
  m.Insert(image.bytes, 1024);
  m.ctx.volume.deviceSectors = 2200;
  EXPECT_EQ(BruteForceSearch(m.ctx), 2003u);
  EXPECT_EQ(m.ctx.volume.mdbSector, 2001u);
  EXPECT_EQ(m.ctx.volume.sectorsPerBlock, 4u);
}

}  // namespace
}  // namespace tarvo
