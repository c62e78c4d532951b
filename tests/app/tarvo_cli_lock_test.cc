// Two programs on one image: tarvo-cli beside another tarvo-cli that waits
// for its typed commands with the volume mounted, or beside a lock the test
// takes as another program in its update would (an open file description
// lock over the whole image). A writer beside a reader is told and changes
// nothing; a reader beside a writer's update waits for it to end, or is
// told when it does not.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "support/cli_process.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

using namespace std::chrono_literals;
using Bytes8 = std::vector<std::uint8_t>;
using testing::CliResult;
using testing::CliSession;

constexpr const char* kInUse = "Tarvo: The volume is in use by another program.";

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class TarvoCliLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir_.Path("pc"));
    ASSERT_TRUE(testing::MakeHfsVolume(dir_.Path(""), Image(), "Shared", 1024));
    ASSERT_TRUE(testing::RunHfsutils(dir_.Path(""), Image(), {"hmkdir :Kept"}));
  }
  void TearDown() override {
    if (heldFd_ >= 0) ::close(heldFd_);
  }

  std::string Image() const { return dir_.Path("shared.img"); }
  testing::CliRun Args(std::vector<std::string> args, int timeLimitSeconds = 20) {
    testing::CliRun run;
    run.args = {"--image", Image(), "/A00"};
    run.args.insert(run.args.end(), args.begin(), args.end());
    run.workDir = dir_.Path("pc");
    run.tempDir = dir_.Path("pc");
    run.timeLimitSeconds = timeLimitSeconds;
    return run;
  }
  CliResult Run(std::vector<std::string> args) {
    CliResult result = testing::RunTarvoCli(Args(std::move(args)));
    EXPECT_TRUE(result.EndedCleanly()) << result.err;
    return result;
  }
  // A tarvo-cli waiting for its next typed command, with the volume mounted.
  std::unique_ptr<CliSession> Holder() {
    auto session = std::make_unique<CliSession>(Args({}));
    EXPECT_TRUE(session->Send("DIR\n"));
    EXPECT_TRUE(session->WaitForOutput("Kept"));
    return session;
  }
  // The image held exclusive, as by another program in its update.
  void HoldExclusive() {
    heldFd_ = ::open(Image().c_str(), O_RDWR | O_CLOEXEC);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    ASSERT_EQ(::fcntl(heldFd_, F_OFD_SETLK, &lock), 0);
  }
  void EndUpdate() {
    ::close(heldFd_);
    heldFd_ = -1;
  }
  std::string Listing() { return testing::HfsutilsOutput(dir_.Path(""), Image(), "hls"); }

  testing::ScratchDir dir_;
  int heldFd_ = -1;
};

TEST_F(TarvoCliLockTest, AWriterBesideAReaderIsToldAndChangesNothing) {
  std::unique_ptr<CliSession> reader = Holder();
  const Bytes8 before = testing::ReadWholeFile(Image());
  const CliResult typed = Run({"-c", "MD New"});
  EXPECT_TRUE(Has(typed.err, kInUse)) << typed.err;
  const CliResult menu = Run({"--select", "Kept", "--menu", "112"});
  EXPECT_TRUE(Has(menu.err, kInUse)) << menu.err;
  const CliResult format = Run({"--yes", "-c", "FORMAT"});
  EXPECT_TRUE(Has(format.err, kInUse)) << format.err;
  EXPECT_EQ(testing::ReadWholeFile(Image()), before);

  const CliResult ended = reader->Finish();
  EXPECT_EQ(ended.exitCode, 0) << ended.err;
  Run({"-c", "MD New"});
  EXPECT_TRUE(Has(Listing(), "New"));
}

// Between its commands a writer holds the volume shared again: a reader
// goes ahead at once, and then the writer is told in its turn.
TEST_F(TarvoCliLockTest, AWriterSharesItsVolumeBetweenCommands) {
  std::unique_ptr<CliSession> writer = Holder();
  ASSERT_TRUE(writer->Send("MD First\nDIR\n"));
  ASSERT_TRUE(writer->WaitForOutput("First"));

  const auto start = std::chrono::steady_clock::now();
  const CliResult check = Run({"--check"});
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_EQ(check.out, "Volume check: no problems found.\n");

  std::unique_ptr<CliSession> reader = Holder();
  ASSERT_TRUE(writer->Send("MD Second\nDIR\n"));
  ASSERT_TRUE(writer->WaitForOutput("First"));
  EXPECT_EQ(reader->Finish().exitCode, 0);
  const CliResult ended = writer->Finish();
  EXPECT_TRUE(Has(ended.err, kInUse)) << ended.err;
  EXPECT_EQ(ended.exitCode, 0);
  const std::string listing = Listing();
  EXPECT_TRUE(Has(listing, "First")) << listing;
  EXPECT_FALSE(Has(listing, "Second")) << listing;
}

TEST_F(TarvoCliLockTest, AReadOnlyCheckWaitsForAnUpdateToEnd) {
  HoldExclusive();
  CliSession check(Args({"--check"}));
  std::this_thread::sleep_for(1s);
  EXPECT_TRUE(check.Running());
  EndUpdate();
  const CliResult result = check.Finish();
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "Volume check: no problems found.\n");
}

TEST_F(TarvoCliLockTest, AReaderIsToldWhenTheUpdateDoesNotEnd) {
  HoldExclusive();
  const auto start = std::chrono::steady_clock::now();
  const CliResult result = testing::RunTarvoCli(Args({"--check"}, 30));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 10s);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(Has(result.err, "The volume is in use by another program.")) << result.err;
}

}  // namespace
}  // namespace tarvo
