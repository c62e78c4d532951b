#include "device/medium_identity.h"

#include <gtest/gtest.h>

#include "device/image_bus.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

using testing::MountedVolume;
using testing::ScratchDir;
using testing::WriteWholeFile;

TEST(MediumIdentityTest, AnImageIsNamedByItsFileNotByWhereItIsAttached) {
  ScratchDir dir;
  const std::vector<std::uint8_t> bytes(64 * 512, 0);
  WriteWholeFile(dir.Path("a.img"), bytes);
  WriteWholeFile(dir.Path("b.img"), bytes);  // the same bytes, another file
  MountedVolume a(dir.Path("a.img"), false);
  MountedVolume b(dir.Path("b.img"), true);
  const std::string nameA = MediumIdentity(a.ctx, 0, 0);
  EXPECT_NE(nameA, MediumIdentity(b.ctx, 0, 0));
  EXPECT_NE(nameA.find(" 64x512"), std::string::npos) << nameA;

  // Second on another bus, read-only: still the same medium.
  ImageBus bus;
  ASSERT_EQ(bus.Attach({dir.Path("b.img"), true}), "");
  ASSERT_EQ(bus.Attach({dir.Path("a.img"), true}), "");
  Context ctx;
  ctx.scsi = &bus;
  EXPECT_EQ(MediumIdentity(ctx, 0, 1), nameA);
}

}  // namespace
}  // namespace tarvo
