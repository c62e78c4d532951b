// tarvo-cli beside another tarvo-cli or an exclusive lock on the image.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "support/cli_image.h"
#include "support/hfs_volume.h"

namespace tarvo {
namespace {

using namespace std::chrono_literals;
using Bytes8 = std::vector<std::uint8_t>;
using testing::CliResult;
using testing::CliSession;

constexpr const char* kInUse = "Tarvo: The volume is in use by another program.";

class TarvoCliLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::MakeHfsVolume(dir_.Path(""), Image(), "Shared", 1024));
    ASSERT_TRUE(testing::RunHfsutils(dir_.Path(""), Image(), {"hmkdir :Kept"}));
  }
  void TearDown() override {
    if (heldFd_ >= 0) ::close(heldFd_);
  }

  std::string Image() const { return cli_.image; }
  testing::CliRun Args(const std::vector<std::string>& args) { return cli_.Args(args); }
  CliResult Run(const std::vector<std::string>& args) { return cli_.Run(args); }
  std::unique_ptr<CliSession> Holder() {
    auto session = std::make_unique<CliSession>(Args({}));
    EXPECT_TRUE(session->Send("DIR\n"));
    EXPECT_TRUE(session->WaitForOutput("Kept"));
    return session;
  }
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
  testing::ImageCli cli_{dir_, dir_.Path("shared.img")};
  int heldFd_ = -1;
};

TEST_F(TarvoCliLockTest, AWriterBesideAReaderIsToldAndChangesNothing) {
  std::unique_ptr<CliSession> reader = Holder();
  const Bytes8 before = testing::ReadWholeFile(Image());
  for (const std::vector<std::string>& write : {std::vector<std::string>{"-c", "MD New"},
                                                 {"--select", "Kept", "--menu", "112"}, {"--yes", "-c", "FORMAT"}}) {
    const CliResult refused = Run(write);
    EXPECT_TRUE(testing::Contains(refused.err, kInUse)) << refused.err;
  }
  EXPECT_EQ(testing::ReadWholeFile(Image()), before);

  const CliResult ended = reader->Finish();
  EXPECT_EQ(ended.exitCode, 0) << ended.err;
  Run({"-c", "MD New"});
  EXPECT_TRUE(testing::Contains(Listing(), "New"));
}

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
  EXPECT_TRUE(testing::Contains(ended.err, kInUse)) << ended.err;
  EXPECT_EQ(ended.exitCode, 1);  // MD Second was refused
  const std::string listing = Listing();
  EXPECT_TRUE(testing::Contains(listing, "First")) << listing;
  EXPECT_FALSE(testing::Contains(listing, "Second")) << listing;
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
  testing::CliRun run = Args({"--check"});
  run.timeLimitSeconds = 30;
  const CliResult result = testing::RunTarvoCli(run);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 10s);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(testing::Contains(result.err, "The volume is in use by another program.")) << result.err;
}

}  // namespace
}  // namespace tarvo
