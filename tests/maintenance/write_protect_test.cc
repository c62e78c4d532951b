// The write-protection probe on writable, read-only and absent media.
#include "maintenance/write_protect.h"

#include <gtest/gtest.h>

#include "support/hfs_volume.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

TEST(WriteProtectTest, AProtectedMediumRefusesTheRewriteOfSectorZero) {
  testing::ScratchDir dir;
  const std::string image = dir.Path("disk.img");
  std::vector<std::uint8_t> bytes(64 * 1024);
  for (std::size_t i = 0; i < 512; ++i) bytes[i] = static_cast<std::uint8_t>(i * 3);
  testing::WriteWholeFile(image, bytes);

  testing::MountedVolume writable(image, false);
  EXPECT_EQ(WriteProtectProbe(writable.ctx, 0), 0);
  EXPECT_EQ(testing::ReadWholeFile(image), bytes);  // rewritten with its own content

  testing::MountedVolume locked(image, true);
  EXPECT_EQ(WriteProtectProbe(locked.ctx, 0), kWriteProtected);
  // No medium answers at target 5: unreadable counts as not protected.
  EXPECT_EQ(WriteProtectProbe(locked.ctx, 5), 0);
}

}  // namespace
}  // namespace tarvo
