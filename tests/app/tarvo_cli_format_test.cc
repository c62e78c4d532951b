// tarvo-cli formatting blank cartridge images, the drive's maintenance
// commands, and the built-in demo cartridge, run from the outside.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/cli_process.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

using testing::CliRun;
using testing::RunTarvoCli;
using testing::ScratchDir;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A blank image made with --create and formatted by the menu command, then
// checked by tarvo-cli and read and written by hfsutils.
TEST(TarvoCliFormatTest, BlankImageFormattedThroughTheMenu) {
  ScratchDir dir;
  const std::string image = dir.Path("blank.img");
  // Start-up's DLG_DEV, then DLG_FORM; the blank medium dropped the drive,
  // so DLG_DEV chooses it again.
  testing::CliResult run =
      RunTarvoCli({"--create", "105", image, "--menu", "102", "-c", "DIR /E"}, "\nArchive 105\n\n", dir.Path(""));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(Has(run.out, "Vol: Archive 105")) << run.out;
  for (const char* name : {"Desktop ", "Desktop DB", "Desktop DF", "Icon"}) EXPECT_TRUE(Has(run.out, name)) << name;

  run = RunTarvoCli({"--image", image + ",ro", "/A00", "--check"}, "", dir.Path(""));
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_EQ(run.out, "Volume check: no problems found.\n");

  const std::string pcFile = dir.Path("hello.txt");
  testing::WriteWholeFile(pcFile, std::vector<std::uint8_t>(3000, 'h'));
  ASSERT_TRUE(testing::RunHfsutils(dir.Path(""), image, {"hcopy -t " + testing::ShellQuote(pcFile) + " :Hello"}));
  run = RunTarvoCli({"--image", image, "/A00", "-c", "MD Mine", "-c", "DIR", "--check"}, "", dir.Path(""));
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_TRUE(Has(run.out, "Volume check: no problems found."));
  EXPECT_TRUE(Has(run.out, "Hello"));
  const std::string listing = testing::HfsutilsOutput(dir.Path(""), image, "hls -a");
  EXPECT_TRUE(Has(listing, "Mine")) << listing;
  run = RunTarvoCli({"--image", image + ",ro", "/A00", "--check"}, "", dir.Path(""));
  EXPECT_EQ(run.out, "Volume check: no problems found.\n");
}

// Media of sizes no cartridge has, from a floppy to 2 GB, as sparse image
// files: the new volume checks clean, and files go both ways between
// tarvo-cli and hfsutils.
class TarvoCliFormatSizeTest : public ::testing::TestWithParam<std::uintmax_t> {};

TEST_P(TarvoCliFormatSizeTest, AnyMediumSizeMakesAVolumeBothSidesUse) {
  ScratchDir dir;
  std::filesystem::create_directory(dir.Path("pc"));
  const std::string image = dir.Path("medium.img");
  { std::ofstream{image}; }
  std::filesystem::resize_file(image, GetParam());
  std::vector<std::uint8_t> fromPc(70000);
  for (std::size_t i = 0; i < fromPc.size(); ++i) fromPc[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
  testing::WriteWholeFile(dir.Path("pc/pcfile.bin"), fromPc);
  const auto runCli = [&](std::vector<std::string> args) {
    CliRun run;
    run.args = {"--image", image, "/A00"};
    run.args.insert(run.args.end(), args.begin(), args.end());
    run.tempDir = dir.Path("");
    run.workDir = dir.Path("pc");
    return RunTarvoCli(run);
  };
  const auto expectClean = [&] {
    const testing::CliResult check = runCli({"--check"});
    EXPECT_EQ(check.exitCode, 0);
    EXPECT_EQ(check.out, "Volume check: no problems found.\n");
  };

  testing::CliResult run = runCli({"--yes", "-c", "FORMAT", "-c", "MCOPY pcfile.bin"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  expectClean();

  const std::string fromMac = dir.Path("pc/back.bin");
  std::vector<std::uint8_t> fromHfsutils(9000, 'x');
  fromHfsutils.front() = 'a';
  testing::WriteWholeFile(dir.Path("hfsutils.bin"), fromHfsutils);
  ASSERT_TRUE(testing::RunHfsutils(dir.Path(""), image,
                                   {"hcopy -r :pcfile.bin " + testing::ShellQuote(fromMac), "hmkdir :Folder",
                                    "hcopy -r " + testing::ShellQuote(dir.Path("hfsutils.bin")) + " :Other.bin"}));
  EXPECT_EQ(testing::ReadWholeFile(fromMac), fromPc);
  EXPECT_TRUE(Has(testing::HfsutilsOutput(dir.Path(""), image, "hvol"), "Untitled"));

  run = runCli({"-c", "COPY Other.bin"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  expectClean();
  EXPECT_EQ(testing::ReadWholeFile(dir.Path("pc/Other.bin")), fromHfsutils);
  const std::string listing = testing::HfsutilsOutput(dir.Path(""), image, "hls -a");
  for (const char* name : {"Desktop DB", "pcfile.bin", "Other.bin", "Folder"}) {
    EXPECT_TRUE(Has(listing, name)) << listing;
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, TarvoCliFormatSizeTest,
                         ::testing::Values(std::uintmax_t{1440} << 10, std::uintmax_t{20} << 20,
                                           std::uintmax_t{300} << 20, std::uintmax_t{1} << 30,
                                           std::uintmax_t{2} << 30));

TEST(TarvoCliFormatTest, CreateMakesAnImageOfAnySizeInMegabytes) {
  ScratchDir dir;
  const std::string image = dir.Path("twenty.img");
  testing::CliResult run = RunTarvoCli({"--create", "20", image, "--yes", "-c", "FORMAT"}, "", dir.Path(""));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(std::filesystem::file_size(image), std::uintmax_t{20} << 20);
  run = RunTarvoCli({"--image", image, "/A00", "--check"}, "", dir.Path(""));
  EXPECT_EQ(run.out, "Volume check: no problems found.\n");
  for (const char* size : {"0", "2049"}) {
    const std::string refused = dir.Path(std::string("refused") + size + ".img");
    run = RunTarvoCli({"--create", size, refused, "-c", "DIR"}, "", dir.Path(""));
    EXPECT_TRUE(Has(run.err, "MB cannot be made (1 to 2048 MB).")) << run.err;
    EXPECT_FALSE(std::filesystem::exists(refused));
  }
}

TEST(TarvoCliFormatTest, TypedFormatAndTheDriveCommands) {
  ScratchDir dir;
  const std::string image = dir.Path("blank.img");
  testing::CliResult run = RunTarvoCli({"--create", "44", image, "-c", "FORMAT", "-c", "VERIFY", "-c", "LOCK",
                                        "-c", "UNLOCK", "-c", "MODE R", "-c", "INFO", "--menu", "136", "--menu",
                                        "137", "--menu", "135"},
                                       "\n\"\"\n\n\n", dir.Path(""));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(Has(run.out, "Number of files: 4\n")) << run.out;  // INFO on the new "Untitled" volume
  EXPECT_TRUE(run.EndedCleanly());

  // The brute-force search finds the header of a medium whose map is gone.
  std::vector<std::uint8_t> zeros(4 * 512, 0);
  {
    std::FILE* f = std::fopen(image.c_str(), "r+b");
    ASSERT_NE(f, nullptr);
    std::fwrite(zeros.data(), 1, zeros.size(), f);
    std::fclose(f);
  }
  run = RunTarvoCli({"--image", image + ",ro", "/A00", "--menu", "139", "-c", "DIR"}, "same\n", dir.Path(""));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(Has(run.out, "Desktop DB")) << run.out << run.err;
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
    EXPECT_TRUE(Has(run.out, name)) << name << "\n" << run.out;
  }
  const std::string image = dir.Path("cache/tarvo/demo-cartridge.img");
  ASSERT_TRUE(std::filesystem::exists(image));
  EXPECT_EQ(std::filesystem::file_size(image), 86700u * 512u);

  // The next run uses the image as it is, with its changes.
  ASSERT_TRUE(testing::RunHfsutils(dir.Path(""), image, {"hmkdir :Later"}));
  demo.args = {"--demo", "-c", "CD Documents", "-c", "DIR", "-c", "CD ..", "-c", "DIR", "--check"};
  run = RunTarvoCli(demo);
  EXPECT_TRUE(Has(run.out, "Letter.txt")) << run.out;
  EXPECT_TRUE(Has(run.out, "Later"));
  EXPECT_TRUE(Has(run.out, "Volume check: no problems found."));
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
    // The temporary is named after the building process.
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
