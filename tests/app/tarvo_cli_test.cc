// tarvo-cli's start-up actions, typed commands, the copy options dialog, and a
// 1024-byte medium opened by /A.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "support/browse_volume.h"
#include "support/cli_image.h"

namespace tarvo {
namespace {

using testing::ScratchDir;

testing::CliResult RunCli(const std::string& image, std::vector<std::string> args, const std::string& input,
                          const std::string& temp) {
  args.insert(args.begin(), {"--image", image + ",ro", "/A00"});
  return testing::RunTarvoCli(args, input, temp);
}

class TarvoCliTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    volume_ = new testing::BrowseVolume;
    built_ = volume_->Build();
  }
  static void TearDownTestSuite() { delete volume_; }
  void SetUp() override { ASSERT_TRUE(built_); }

  bool TempIsEmpty() const { return std::filesystem::is_empty(temp_.Path("")); }

  static testing::BrowseVolume* volume_;
  static bool built_;
  ScratchDir temp_;
};

testing::BrowseVolume* TarvoCliTest::volume_ = nullptr;
bool TarvoCliTest::built_ = false;

TEST_F(TarvoCliTest, ActionsRunInOrderAndStopAtExit) {
  const testing::CliResult run =
      RunCli(volume_->image(), {"--select", "S*", "--menu", "108", "-c", "dir /e", "--menu", "105", "-c", "cd ..", "-c", "dir"},
             "", temp_.Path(""));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("Dir: Sub "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Inner Folder"), std::string::npos);
  EXPECT_EQ(run.out.find("Dir: Root"), std::string::npos);
  EXPECT_TRUE(TempIsEmpty());
}

TEST_F(TarvoCliTest, TypedCommandsUntilQuit) {
  const testing::CliResult run = RunCli(volume_->image(), {}, "cd \"Caf\xc3\xa9\"\ndir\ninfo\nquit\ndir\n", temp_.Path(""));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("Dir: Caf\xc3\xa9 "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Number of files: 43\n"), std::string::npos);
  EXPECT_NE(run.out.find("Number of folders: 4\n"), std::string::npos);
  EXPECT_EQ(run.out.find("Dir: Root"), std::string::npos);
  EXPECT_TRUE(TempIsEmpty());
}

TEST_F(TarvoCliTest, DriveNamedWithAOpensA1024ByteMedium) {
  const std::string copy = temp_.Path("large.img");
  std::vector<std::uint8_t> image = testing::ReadWholeFile(volume_->image());
  image[0] = 'E', image[1] = 'R', image[2] = 0x04, image[3] = 0x00;
  testing::WriteWholeFile(copy, image);
  for (const std::vector<std::string>& pick : {std::vector<std::string>{"/A00"}, std::vector<std::string>{}}) {
    std::vector<std::string> args{"--image", copy + ",ro,1024"};
    args.insert(args.end(), pick.begin(), pick.end());
    args.insert(args.end(), {"-c", "DIR"});
    const testing::CliResult run = testing::RunTarvoCli(args, "", temp_.Path(""));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "") << ::testing::PrintToString(pick);
    EXPECT_NE(run.out.find("Vol: Browse"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Caf\xc3\xa9"), std::string::npos);
  }
  std::filesystem::remove(copy);
  EXPECT_TRUE(TempIsEmpty());
}

TEST_F(TarvoCliTest, ModeOptionsAndTheNamingDialog) {
  using Bytes8 = std::vector<std::uint8_t>;
  const Bytes8 kHi = {'h', 'i', '\n'};
  const testing::ImageCli cli(temp_, volume_->image());
  EXPECT_EQ(cli.Run({"-c", "copy /b Top.txt"}, "", ",ro").exitCode, 0);
  const Bytes8 packed = testing::ReadWholeFile(temp_.Path("pc/Top.bin"));
  ASSERT_EQ(packed.size(), 256u);  // the fork padded to 128 bytes
  EXPECT_EQ(Bytes8(packed.begin() + 128, packed.begin() + 131), kHi);
  EXPECT_EQ(cli.Run({}, "options\nshort\ncopy /d sub\n", ",ro").exitCode, 0);
  // Folder names follow the file system, file names the naming mode.
  EXPECT_EQ(testing::ReadWholeFile(temp_.Path("pc/Sub/Inner Folder/A.txt")), kHi);
}

}  // namespace
}  // namespace tarvo
