// tarvo-cli formatting blank images, and the built-in demo cartridge.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/byte_pattern.h"
#include "support/cli_image.h"
#include "support/hfs_volume.h"

namespace tarvo {
namespace {

using testing::CliRun;
using testing::RunTarvoCli;
using testing::ScratchDir;

using testing::Contains;

// Media from a floppy to 2 GB: files go both ways between tarvo-cli and hfsutils.
class TarvoCliFormatSizeTest : public ::testing::TestWithParam<std::uintmax_t> {};

TEST_P(TarvoCliFormatSizeTest, AnyMediumSizeMakesAVolumeBothSidesUse) {
  ScratchDir dir;
  const testing::ImageCli cli(dir, dir.Path("medium.img"));
  const std::string& image = cli.image;
  { std::ofstream{image}; }
  std::filesystem::resize_file(image, GetParam());
  const std::vector<std::uint8_t> fromPc = testing::PatternBytes(70000);
  testing::WriteWholeFile(dir.Path("pc/pcfile.bin"), fromPc);

  testing::CliResult run = cli.Run({"--yes", "-c", "FORMAT", "-c", "MCOPY pcfile.bin"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  cli.ExpectClean();

  const std::string fromMac = dir.Path("pc/back.bin");
  std::vector<std::uint8_t> fromHfsutils(9000, 'x');
  fromHfsutils.front() = 'a';
  testing::WriteWholeFile(dir.Path("hfsutils.bin"), fromHfsutils);
  ASSERT_TRUE(testing::RunHfsutils(dir.Path(""), image,
                                   {"hcopy -r :pcfile.bin " + testing::ShellQuote(fromMac), "hmkdir :Folder",
                                    "hcopy -r " + testing::ShellQuote(dir.Path("hfsutils.bin")) + " :Other.bin"}));
  EXPECT_EQ(testing::ReadWholeFile(fromMac), fromPc);
  EXPECT_TRUE(Contains(testing::HfsutilsOutput(dir.Path(""), image, "hvol"), "Untitled"));

  run = cli.Run({"-c", "COPY Other.bin"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  cli.ExpectClean();
  EXPECT_EQ(testing::ReadWholeFile(dir.Path("pc/Other.bin")), fromHfsutils);
  const std::string listing = testing::HfsutilsOutput(dir.Path(""), image, "hls -a");
  for (const char* name : {"Desktop DB", "pcfile.bin", "Other.bin", "Folder"}) {
    EXPECT_TRUE(Contains(listing, name)) << listing;
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, TarvoCliFormatSizeTest,
                         ::testing::Values(std::uintmax_t{1440} << 10, std::uintmax_t{20} << 20,
                                           std::uintmax_t{300} << 20, std::uintmax_t{1} << 30,
                                           std::uintmax_t{2} << 30));

// pc/D1..Dn, each of `count` small files holding their own names.
void MakePcFolders(ScratchDir& dir, int folders, int count) {
  for (int folder = 1; folder <= folders; ++folder) {
    const std::string pcFolder = dir.Path("pc/D" + std::to_string(folder));
    std::filesystem::create_directories(pcFolder);
    for (int i = 0; i < count; ++i) {
      const std::string name = "f" + std::to_string(i);
      testing::WriteWholeFile(pcFolder + "/" + name, std::vector<std::uint8_t>(name.begin(), name.end()));
    }
  }
}

// The files hfsutils lists on the image, the folders D1..D9 left out.
long HfsutilsFileCount(ScratchDir& dir, const std::string& image) {
  const std::string listing = testing::HfsutilsOutput(dir.Path(""), image, "hls -aR");
  long listed = 0;
  for (std::size_t line = 0; line < listing.size();) {
    const std::size_t end = std::min(listing.find('\n', line), listing.size());
    const std::string_view text(listing.data() + line, end - line);
    const bool folder = text.size() == 2 && text.front() == 'D';
    if (!text.empty() && text.front() != ':' && !folder) ++listed;
    line = end + 1;
  }
  return listed;
}

// A field of INFO's output; -1 when it is missing.
long InfoField(const std::string& info, const std::string& name) {
  const std::size_t at = info.find(name + ": ");
  return at == std::string::npos ? -1L : std::stol(info.substr(at + name.size() + 2));
}

// A sparse image of `size` bytes, formatted and filled by MCOPY * from
// `folders` PC folders of `count` small files, checked; returns INFO's output.
std::string FormatAndFill(ScratchDir& dir, const testing::ImageCli& cli, std::uintmax_t size, int folders, int count,
                          int exitCode) {
  { std::ofstream{cli.image}; }
  std::filesystem::resize_file(cli.image, size);
  MakePcFolders(dir, folders, count);
  const testing::CliResult run = cli.Run({"--yes", "-c", "FORMAT", "-c", "MCOPY *"});
  EXPECT_EQ(run.exitCode, exitCode) << run.err;
  if (exitCode != 0) {
    EXPECT_TRUE(Contains(run.err, "Not enough space on the volume.")) << run.err;
  }
  cli.ExpectClean();
  return cli.Run({"-c", "INFO"}).out;
}

// The catalog grows until the volume's last block; hfsutils finds every file.
TEST(TarvoCliFormatTest, SmallFilesFillAVolumeToItsLastBlock) {
  ScratchDir dir;
  const testing::ImageCli cli(dir, dir.Path("floppy.img"));
  const std::string info = FormatAndFill(dir, cli, std::uintmax_t{1440} << 10, 3, 1000, 1);
  // hfsutils stores 2070 such files on the whole 1440 KB (2850 blocks).
  EXPECT_GE(InfoField(info, "Free space"), 0) << info;
  EXPECT_LE(InfoField(info, "Free space"), 4 * 512) << info;
  EXPECT_GT(InfoField(info, "Number of files"), 1800) << info;
  EXPECT_EQ(HfsutilsFileCount(dir, cli.image), InfoField(info, "Number of files"));
}

// Trees grown past their node maps' first reach (2048 nodes of the header
// node) read right in hfsutils.
TEST(TarvoCliFormatTest, TenThousandFilesReadRightInHfsutils) {
  ScratchDir dir;
  const testing::ImageCli cli(dir, dir.Path("big.img"));
  const std::string info = FormatAndFill(dir, cli, std::uintmax_t{60} << 20, 2, 5000, 0);
  EXPECT_GE(InfoField(info, "Number of files"), 10000) << info;
  EXPECT_GT(InfoField(info, "Catalog Size (sectors)"), 2048) << info;
  EXPECT_EQ(HfsutilsFileCount(dir, cli.image), InfoField(info, "Number of files"));
  for (const char* path : {":D1:f0", ":D1:f2500", ":D2:f4999"}) {
    const std::string name = std::string(path).substr(std::string(path).rfind(':') + 1);
    EXPECT_EQ(testing::HfsutilsOutput(dir.Path(""), cli.image, std::string("hcopy -r ") + path + " -"), name);
  }
}

TEST(TarvoCliFormatTest, CreateMakesAnImageOfAnySizeInMegabytes) {
  ScratchDir dir;
  const std::string image = dir.Path("twenty.img");
  testing::CliResult run = RunTarvoCli({"--create", "20", image, "--yes", "-c", "FORMAT"}, "", dir.Path(""));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(std::filesystem::file_size(image), std::uintmax_t{20} << 20);
  for (const char* size : {"0", "2049"}) {
    const std::string refused = dir.Path(std::string("refused") + size + ".img");
    run = RunTarvoCli({"--create", size, refused, "-c", "DIR"}, "", dir.Path(""));
    EXPECT_TRUE(Contains(run.err, "MB cannot be made (1 to 2048 MB).")) << run.err;
    EXPECT_FALSE(std::filesystem::exists(refused));
  }
}

TEST(TarvoCliFormatTest, DemoCartridgeIsMadeOnceAndListed) {
  ScratchDir dir;
  CliRun demo;
  demo.args = {"--demo", "-c", "DIR /E"};
  demo.tempDir = dir.Path("");
  demo.env = {"XDG_CACHE_HOME=" + dir.Path("cache")};
  testing::CliResult run = RunTarvoCli(demo);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  for (const char* name : {"Vol: Tarvo Demo", "Welcome.txt", "Documents", "Archive", "Tarvo Sampler", "Desktop DB"}) {
    EXPECT_TRUE(Contains(run.out, name)) << name << "\n" << run.out;
  }
  const std::string image = dir.Path("cache/tarvo/demo-cartridge.img");
  ASSERT_TRUE(std::filesystem::exists(image));
  EXPECT_EQ(std::filesystem::file_size(image), 86700u * 512u);

  ASSERT_TRUE(testing::RunHfsutils(dir.Path(""), image, {"hmkdir :Later"}));
  demo.args = {"--demo", "-c", "CD Documents", "-c", "DIR", "-c", "CD ..", "-c", "DIR", "--check"};
  run = RunTarvoCli(demo);
  EXPECT_TRUE(Contains(run.out, "Letter.txt")) << run.out;
  EXPECT_TRUE(Contains(run.out, "Later"));
  EXPECT_TRUE(Contains(run.out, "Volume check: no problems found."));
  EXPECT_EQ(std::filesystem::directory_iterator(dir.Path("cache/tarvo"))->path().filename(), "demo-cartridge.img");
}

// A demo build ended by SIGTERM leaves neither its temporary image nor a
// final one. The temporary of a build killed outright (its process gone)
// is removed by the next run, which makes the whole image.
TEST(TarvoCliFormatTest, AnInterruptedDemoLeavesNoPartialImage) {
  namespace fs = std::filesystem;
  ScratchDir dir;
  const fs::path cache = dir.Path("cache/tarvo");
  const std::string part = "demo-cartridge.img.part";
  CliRun demo;
  demo.args = {"--demo", "-c", "DIR"};
  demo.tempDir = dir.Path("");
  demo.env = {"XDG_CACHE_HOME=" + dir.Path("cache"), "XDG_STATE_HOME=" + dir.Path("state")};
  {
    testing::CliSession session(demo);
    pid_t building = 0;
    for (const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
         building == 0 && std::chrono::steady_clock::now() < until;) {
      std::error_code error;
      for (fs::directory_iterator entry(cache, error), end; !error && entry != end; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name.rfind(part, 0) == 0) building = static_cast<pid_t>(std::stol(name.substr(part.size())));
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_NE(building, 0);
    kill(building, SIGTERM);
    const testing::CliResult ended = session.Finish();
    EXPECT_EQ(ended.signal, SIGTERM) << ended.exitCode << " " << ended.err << ended.out;
  }
  EXPECT_TRUE(fs::is_empty(cache));

  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  ASSERT_GT(gone, 0);
  waitpid(gone, nullptr, 0);
  testing::WriteWholeFile((cache / (part + std::to_string(gone))).string(), std::vector<std::uint8_t>{1, 2, 3});
  const testing::CliResult run = RunTarvoCli(demo);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(cache)) names.push_back(entry.path().filename());
  EXPECT_EQ(names, std::vector<std::string>{"demo-cartridge.img"});
}

}  // namespace
}  // namespace tarvo
