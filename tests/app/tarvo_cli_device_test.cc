// tarvo-cli on a loop device over an hfsutils volume.
#include <gtest/gtest.h>

#include "support/cli_image.h"
#include "support/hfs_volume.h"
#include "support/loop_device.h"

namespace tarvo {
namespace {

using testing::Contains;

TEST(TarvoCliDeviceTest, ADeviceIsListedWrittenAndCheckedLikeAnImage) {
  testing::ScratchDir dir;
  const std::string image = dir.Path("card.img");
  ASSERT_TRUE(testing::MakeHfsVolume(dir.Path(""), image, "Card", 1024));
  const testing::LoopDevice loop(image);
  if (loop.path.empty()) GTEST_SKIP() << loop.skipReason;
  const testing::ImageCli cli(dir, loop.path);
  const std::vector<std::uint8_t> note = {'h', 'i', '\n'};
  testing::WriteWholeFile(cli.workDir + "/Note.txt", note);

  const testing::CliResult copy = cli.Run({"-c", "mcopy Note.txt", "-c", "dir"});
  EXPECT_EQ(copy.exitCode, 0) << copy.err;
  EXPECT_TRUE(Contains(copy.out, "Card")) << copy.out;
  EXPECT_TRUE(Contains(copy.out, "Note.txt")) << copy.out;
  cli.ExpectClean();
  EXPECT_TRUE(Contains(testing::HfsutilsOutput(dir.Path(""), loop.path, "hls"), "Note.txt"));
}

}  // namespace
}  // namespace tarvo
