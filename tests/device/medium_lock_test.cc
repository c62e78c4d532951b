// Locks between programs on a medium. The locks belong to the open file
// description, so two opens of one file stand for two programs.
#include "device/medium_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/scratch_files.h"

namespace tarvo {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class MediumLockTest : public ::testing::Test {
 protected:
  MediumLockTest() { testing::WriteWholeFile(path_, std::vector<std::uint8_t>(4096)); }
  ~MediumLockTest() override {
    for (const int fd : fds_) ::close(fd);
  }
  int Open() { return fds_.emplace_back(::open(path_.c_str(), O_RDWR | O_CLOEXEC)); }

  testing::ScratchDir dir_;
  std::string path_ = dir_.Path("medium.img");
  std::vector<int> fds_;
};

TEST_F(MediumLockTest, AClaimIsRefusedBesideAReaderAndKeepsItsSharedLock) {
  const int writer = Open(), reader = Open();
  ASSERT_EQ(LockShared(writer, 0ms), MediumLockResult::kHeld);
  ASSERT_EQ(LockShared(reader, 0ms), MediumLockResult::kHeld);
  EXPECT_EQ(LockExclusive(writer), MediumLockResult::kInUse);
  EXPECT_EQ(LockExclusive(reader), MediumLockResult::kInUse);
  // Both still hold the medium shared: no third program may claim it, even
  // when one of the two has gone.
  const int third = Open();
  ::close(reader);
  fds_.erase(fds_.begin() + 1);
  EXPECT_EQ(LockExclusive(third), MediumLockResult::kInUse);
  EXPECT_EQ(LockShared(third, 0ms), MediumLockResult::kHeld);
}

TEST_F(MediumLockTest, AClaimExcludesEveryOtherProgramUntilItIsSharedAgain) {
  const int writer = Open(), other = Open();
  ASSERT_EQ(LockShared(writer, 0ms), MediumLockResult::kHeld);
  ASSERT_EQ(LockExclusive(writer), MediumLockResult::kHeld);
  EXPECT_EQ(LockShared(other, 0ms), MediumLockResult::kInUse);
  EXPECT_EQ(LockExclusive(other), MediumLockResult::kInUse);
  ASSERT_EQ(LockShared(writer, 0ms), MediumLockResult::kHeld);
  EXPECT_EQ(LockShared(other, 0ms), MediumLockResult::kHeld);
  // The writer, shared again, lets nobody write while the other reads.
  EXPECT_EQ(LockExclusive(writer), MediumLockResult::kInUse);
}

TEST_F(MediumLockTest, AReaderWaitsForTheUpdateToEndButNotLongerThanItMay) {
  const int writer = Open(), reader = Open();
  ASSERT_EQ(LockExclusive(writer), MediumLockResult::kHeld);
  Clock::time_point start = Clock::now();
  EXPECT_EQ(LockShared(reader, 100ms), MediumLockResult::kInUse);
  EXPECT_GE(Clock::now() - start, 100ms);

  start = Clock::now();
  std::thread update([writer] {
    std::this_thread::sleep_for(200ms);
    LockShared(writer, 0ms);
  });
  EXPECT_EQ(LockShared(reader, 5s), MediumLockResult::kHeld);
  const auto waited = Clock::now() - start;
  update.join();
  EXPECT_GE(waited, 200ms);
  EXPECT_LT(waited, 4s);
}

}  // namespace
}  // namespace tarvo
