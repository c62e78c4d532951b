#include "ui/startup_options.h"

#include <gtest/gtest.h>

#include "support/scratch_files.h"

namespace tarvo {
namespace {

// The desktop entry passes a file's absolute path: it is a file to open,
// not a one-letter option, while /A and -R keep their meaning.
TEST(StartupOptionsTest, PathsAreFilesToOpenBesideLetterOptions) {
  testing::ScratchDir dir;
  const std::string image = dir.Path("Archive.img");
  testing::WriteWholeFile(image, std::vector<std::uint8_t>(16));
  std::string error;
  const std::optional<StartupOptions> options =
      ParseStartupOptions({"/A03", image, "relative.hda", "-R", "/Lmissing/log", "/missing/disk.img"}, error);
  ASSERT_TRUE(options) << error;
  // A missing path stays a file, to be reported when it cannot be opened.
  EXPECT_EQ(options->files, (std::vector<std::string>{image, "relative.hda", "/missing/disk.img"}));
  EXPECT_EQ(options->target, 3);
  EXPECT_TRUE(options->reset);
  EXPECT_EQ(options->logName, "missing/log");
}

}  // namespace
}  // namespace tarvo
