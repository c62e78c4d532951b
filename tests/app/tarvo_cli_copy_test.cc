// tarvo-cli copying from an hfsutils volume to the PC: COPY with a pattern
// or with options, and the naming dialog answered on standard input.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/browse_volume.h"
#include "support/cli_image.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDir;
using Bytes8 = std::vector<std::uint8_t>;

class TarvoCliCopyTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    volume_ = new testing::BrowseVolume;
    built_ = volume_->Build();
  }
  static void TearDownTestSuite() { delete volume_; }
  void SetUp() override { ASSERT_TRUE(built_); }

  // Runs tarvo-cli in the PC directory; returns its exit code.
  int Run(const std::vector<std::string>& args, const std::string& input) {
    return cli_.Run(args, input, ",ro").exitCode;
  }
  std::string Pc(const std::string& name) const { return out_.Path("pc/" + name); }
  Bytes8 Read(const std::string& name) const { return testing::ReadWholeFile(Pc(name)); }

  static testing::BrowseVolume* volume_;
  static bool built_;
  ScratchDir out_;
  testing::ImageCli cli_{out_, volume_->image()};
};

testing::BrowseVolume* TarvoCliCopyTest::volume_ = nullptr;
bool TarvoCliCopyTest::built_ = false;

const Bytes8 kHi = {'h', 'i', '\n'};

TEST_F(TarvoCliCopyTest, CopyWithAPatternCopiesTheFolderTree) {
  EXPECT_EQ(Run({"-c", "copy *"}, ""), 0);
  EXPECT_EQ(Read("Top.txt"), kHi);
  EXPECT_EQ(Read("Sub/b.txt"), kHi);
  EXPECT_EQ(Read("Sub/Inner Folder/a.txt"), kHi);
  EXPECT_EQ(Read("Many/f39.txt"), (Bytes8{'f', '3', '9'}));
  EXPECT_TRUE(fs::is_directory(Pc("Caf\xc3\xa9")));  // Windows name, UTF-8 on the host
}

TEST_F(TarvoCliCopyTest, ModeOptionsAndTheNamingDialog) {
  EXPECT_EQ(Run({"-c", "copy /b Top.txt"}, ""), 0);
  const Bytes8 packed = Read("Top.bin");
  ASSERT_EQ(packed.size(), 256u);  // the fork padded to 128 bytes
  EXPECT_EQ(Bytes8(packed.begin() + 128, packed.begin() + 131), kHi);
  EXPECT_EQ(Run({}, "options\nshort\ncopy /d sub\n"), 0);
  // Folder names follow the file system, file names the naming mode.
  EXPECT_EQ(Read("Sub/Inner Folder/A.txt"), kHi);
}

}  // namespace
}  // namespace tarvo
