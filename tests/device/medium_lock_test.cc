#include "device/medium_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <vector>

#include <gtest/gtest.h>

#include "support/scratch_files.h"

namespace tarvo {
namespace {

using namespace std::chrono_literals;

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

}  // namespace
}  // namespace tarvo
