// tarvo-cli copying from an hfsutils volume to the PC: COPY with a pattern
// or with options only, the menu copy of a selection, and the dialogs
// (target directory, naming options, output ports) answered on standard
// input.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "support/browse_volume.h"
#include "support/cli_process.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDir;
using testing::ShellQuote;
using Bytes8 = std::vector<std::uint8_t>;

class TarvoCliCopyTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    volume_ = new testing::BrowseVolume;
    built_ = volume_->Build();
  }
  static void TearDownTestSuite() { delete volume_; }
  void SetUp() override {
    ASSERT_TRUE(built_);
    fs::create_directory(out_.Path("pc"));
  }

  // Runs tarvo-cli in the PC directory; returns its exit code.
  int Run(std::vector<std::string> args, const std::string& input, const std::string& env = "") {
    testing::CliRun run;
    run.args = {"--image", volume_->image() + ",ro", "/A00"};
    run.args.insert(run.args.end(), args.begin(), args.end());
    run.input = input;
    run.tempDir = out_.Path("");
    run.workDir = Pc("");
    if (!env.empty()) run.env.push_back(env);
    return testing::RunTarvoCli(run).exitCode;
  }
  std::string Pc(const std::string& name) const { return out_.Path("pc/" + name); }
  Bytes8 Read(const std::string& name) const { return testing::ReadWholeFile(Pc(name)); }

  static testing::BrowseVolume* volume_;
  static bool built_;
  ScratchDir out_;
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
  const Bytes8 packed = Read("Top.txt");
  ASSERT_EQ(packed.size(), 131u);
  EXPECT_EQ(Bytes8(packed.begin() + 128, packed.end()), kHi);
  EXPECT_EQ(Run({}, "options\nshort\ncopy /d sub\n"), 0);
  // Folder names follow the file system, file names the naming mode.
  EXPECT_EQ(Read("Sub/Inner Folder/A.txt"), kHi);
}

TEST_F(TarvoCliCopyTest, MenuCopyOfTheSelectionAsksTheTargetDirectory) {
  EXPECT_EQ(Run({"--select", "T*", "--menu", "106"}, "new\nMade\nok\n"), 0);
  EXPECT_EQ(Read("Made/Top.txt"), kHi);
  // With "Use Current Directory" checked no dialog is asked; COPY alone is
  // the menu copy of the selection.
  EXPECT_EQ(Run({"--menu", "125", "--select", "Sub", "-c", "copy"}, ""), 0);
  EXPECT_EQ(Read("Sub/b.txt"), kHi);
}

// COPY of a folder whose name a symbolic link holds in the target: the
// link is not followed; the folder arrives beside it under a numbered name.
TEST_F(TarvoCliCopyTest, AFolderCopyNeverFollowsALinkInTheTarget) {
  fs::create_directory(out_.Path("outside"));
  fs::create_directory_symlink("../outside", Pc("Sub"));
  EXPECT_EQ(Run({"-c", "copy Sub"}, ""), 0);
  EXPECT_TRUE(fs::is_empty(out_.Path("outside")));
  std::vector<std::string> made;
  for (const fs::directory_entry& entry : fs::directory_iterator(Pc(""))) {
    if (!entry.is_symlink()) made.push_back(entry.path().filename().string());
  }
  ASSERT_EQ(made.size(), 1u);
  EXPECT_EQ(fs::path(made[0]).stem(), "Sub");
  EXPECT_EQ(Read(made[0] + "/b.txt"), kHi);
  EXPECT_EQ(Read(made[0] + "/Inner Folder/a.txt"), kHi);
}

TEST_F(TarvoCliCopyTest, OutputPortGetsTheContent) {
  const std::string port = out_.Path("printer");
  EXPECT_EQ(Run({"--menu", "127", "-c", "copy top.txt"}, "lpt3\n", "TARVO_LPT3=" + port), 0);
  EXPECT_EQ(testing::ReadWholeFile(port), kHi);
  EXPECT_TRUE(fs::is_empty(Pc("")));
}

}  // namespace
}  // namespace tarvo
