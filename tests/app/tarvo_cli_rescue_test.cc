// tarvo-cli rescuing a volume whose catalog index is gone (--menu 130) and
// the volumes Macintoshes wrote, printing a fork (--menu 114), and writing
// attributes and swapped forks (ATTRIB, SWAP) that hfsutils reads back.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "support/cli_process.h"
#include "support/hfs_volume.h"
#include "support/rescue_volume.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;
using testing::ShellQuote;
using Data = std::vector<std::uint8_t>;

class TarvoCliRescueTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    volume_ = new testing::RescueVolume;
    built_ = volume_->Build();
  }
  static void TearDownTestSuite() { delete volume_; }
  void SetUp() override {
    ASSERT_TRUE(built_);
    fs::create_directory(dir_.Path("pc"));
    fs::create_directory(dir_.Path("tmp"));
  }

  testing::CliResult Run(const std::string& image, std::vector<std::string> args, const std::string& input = "",
                         const std::string& workDir = "") {
    testing::CliRun run;
    run.args = {"--image", image, "/A00"};
    run.args.insert(run.args.end(), args.begin(), args.end());
    run.input = input;
    run.tempDir = dir_.Path("tmp");
    run.workDir = workDir.empty() ? dir_.Path("pc") : workDir;
    return testing::RunTarvoCli(run);
  }

  static testing::RescueVolume* volume_;
  static bool built_;
  testing::ScratchDir dir_;
};

testing::RescueVolume* TarvoCliRescueTest::volume_ = nullptr;
bool TarvoCliRescueTest::built_ = false;

// The bytes of every file below the directory, each as often as it is there.
std::multiset<Data> FilesUnder(const std::string& dir) {
  std::multiset<Data> files;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(dir)) {
    if (e.is_regular_file()) files.insert(testing::ReadWholeFile(e.path().string()));
  }
  return files;
}

TEST_F(TarvoCliRescueTest, TheMenuRescuesAVolumeWhoseCatalogIndexIsGone) {
  const std::string damaged = dir_.Path("damaged.img");
  ASSERT_GT(volume_->Damage(damaged), 0);
  const testing::CliResult run = Run(damaged + ",ro", {"--menu", "130"});
  EXPECT_TRUE(run.EndedCleanly()) << run.err;
  EXPECT_EQ(run.exitCode, 0);
  volume_->ExpectEveryFileIn(dir_.Path("pc"));
}

TEST_F(TarvoCliRescueTest, WithoutAVolumeHeaderTheDriveAndTheGeometryAreAsked) {
  const std::string damaged = dir_.Path("damaged.img");
  volume_->Damage(damaged, true);
  const testing::CliResult run = Run(damaged + ",ro", {"--menu", "130"}, "0\nbinary\nstart\n" + volume_->Geometry() + "\n");
  EXPECT_TRUE(run.EndedCleanly()) << run.err;
  const Data packed = testing::ReadWholeFile(dir_.Path("pc/" + testing::RescueFileName(7)));
  const Data reference = testing::ReadWholeFile(volume_->Reference(7));
  ASSERT_EQ(packed.size(), 128 + reference.size());
  EXPECT_EQ(Data(packed.begin() + 128, packed.end()), reference);
}

// Volumes written by Macintoshes: full leaves, leaves that start with a
// thread, files in several folders. Rescued as MacBinary files, they are
// the MacBinary files a normal copy of the whole volume makes, every one.
TEST_F(TarvoCliRescueTest, EveryFileOfARealVolumeComesBackWhole) {
  // Each image with the number of files its volume header counts.
  const std::pair<std::string, std::size_t> images[] = {
      {"apm-prodos-hfs-cp2.iso", 1},     {"sys75-disk-tools-1440k.dsk", 7}, {"ara-installer-disk1-dc42.image", 31},
      {"excel30-folder-nested.img", 59}, {"gsos-simple-800k.dsk", 13},      {"sys607-system-tools-tagtail.dsk", 11}};
  for (const auto& [file, count] : images) {
    SCOPED_TRACE(file);
    const std::string image = std::string(TARVO_FIXTURES_DIR) + "/" + file + ",ro";
    testing::ScratchDir out;
    const auto files = [&](const std::string& into, std::vector<std::string> args, const std::string& input) {
      fs::create_directory(out.Path(into));
      const testing::CliResult run = Run(image, std::move(args), input, out.Path(into));
      EXPECT_EQ(run.exitCode, 0) << run.err;
      return FilesUnder(out.Path(into));
    };
    const std::multiset<Data> copied = files("copied", {"-c", "COPY /B *"}, "");
    ASSERT_EQ(copied.size(), count);
    const std::multiset<Data> rescued = files("rescued", {"--menu", "130"}, "binary\nstart\n");
    for (auto it = copied.begin(); it != copied.end(); it = copied.upper_bound(*it)) {
      const std::string name(it->begin() + 2, it->begin() + 2 + (*it)[1]);  // the MacBinary header's
      EXPECT_GE(rescued.count(*it), copied.count(*it)) << name;
    }
  }
}

TEST_F(TarvoCliRescueTest, TheDumpMenuPrintsTheWholeFork) {
  const testing::CliResult run = Run(volume_->image() + ",ro", {"--select", "file101.bin", "--menu", "114"});
  EXPECT_TRUE(run.EndedCleanly()) << run.err;
  std::istringstream out(run.out);
  std::vector<std::string> lines;
  for (std::string line; std::getline(out, line);) lines.push_back(line);
  const Data content = testing::ReadWholeFile(volume_->Reference(1));  // 397 bytes: one 512-byte block
  ASSERT_EQ(lines.size(), 32u);
  EXPECT_EQ(lines[0].substr(0, 8), "00000000");
  EXPECT_EQ(lines[1].substr(0, 12), "00000016 " + std::string(1, "0123456789abcdef"[content[16] >> 4]) +
                                        std::string(1, "0123456789abcdef"[content[16] & 15]) + " ");
}

TEST_F(TarvoCliRescueTest, AttribAndSwapAreReadBackByHfsutils) {
  const std::string image = dir_.Path("edit.img");
  fs::copy_file(volume_->image(), image);
  testing::CliResult run = Run(image, {"--select", "file102.bin", "-c", "attrib", "-c", "swap file103.bin"},
                               "type ABCD\ncreator WXYZ\ncreated 5 6 5 7 8\nwrite\n");
  EXPECT_TRUE(run.EndedCleanly()) << run.err;
  EXPECT_EQ(Run(image, {"--check"}).exitCode, 0);

  const std::string home = dir_.Path("");
  ASSERT_TRUE(testing::RunHfsutils(home, image,
                                   {"hcopy -m :file102.bin " + ShellQuote(dir_.Path("102.bin")),
                                    "hcopy -m :file103.bin " + ShellQuote(dir_.Path("103.bin"))}));
  const Data a = testing::ReadWholeFile(dir_.Path("102.bin"));
  ASSERT_GE(a.size(), 128u);
  EXPECT_EQ(std::string(a.begin() + 65, a.begin() + 73), "ABCDWXYZ");
  const Data b = testing::ReadWholeFile(dir_.Path("103.bin"));
  const Data reference = testing::ReadWholeFile(volume_->Reference(3));
  ASSERT_GE(b.size(), 128 + reference.size());
  EXPECT_EQ(b[83] | b[84] | b[85] | b[86], 0);  // no data fork
  EXPECT_EQ(std::size_t{b[89]} << 8 | b[90], reference.size());
  EXPECT_EQ(Data(b.begin() + 128, b.begin() + 128 + static_cast<long>(reference.size())), reference);
}

}  // namespace
}  // namespace tarvo
