#include "base/whole_io.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <numeric>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/scratch_files.h"

namespace tarvo {
namespace {

void Ignore(int) {}

// A reader blocked on a pipe is interrupted by a signal (without
// SA_RESTART) and then gets the rest in a second part: it must go on to
// the whole run.
TEST(WholeIoTest, ReadsAcrossSignalsAndShortParts) {
  struct sigaction action {}, saved{};
  action.sa_handler = Ignore;
  sigemptyset(&action.sa_mask);
  ASSERT_EQ(sigaction(SIGUSR1, &action, &saved), 0);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  std::vector<std::uint8_t> sent(1000);
  std::iota(sent.begin(), sent.end(), 0);
  std::vector<std::uint8_t> got(sent.size());
  IoRun run;
  std::thread reader([&] { run = ReadWhole(fds[0], got); });
  ASSERT_EQ(WriteWhole(fds[1], ConstBytes(sent).first(300)).end, IoEnd::kWhole);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  pthread_kill(reader.native_handle(), SIGUSR1);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_EQ(WriteWhole(fds[1], ConstBytes(sent).subspan(300)).end, IoEnd::kWhole);
  reader.join();
  sigaction(SIGUSR1, &saved, nullptr);
  close(fds[0]);
  close(fds[1]);
  EXPECT_EQ(run.end, IoEnd::kWhole);
  EXPECT_EQ(run.moved, sent.size());
  EXPECT_EQ(got, sent);
}

TEST(WholeIoTest, TellsTheEndOfTheFileFromAFailure) {
  testing::ScratchDir dir;
  const std::string path = dir.Path("short");
  testing::WriteWholeFile(path, std::vector<std::uint8_t>(100, 7));
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  std::array<std::uint8_t, 64> buffer{};
  const IoRun tail = ReadWholeAt(fd, buffer, 60);
  EXPECT_EQ(tail.end, IoEnd::kEndOfFile);
  EXPECT_EQ(tail.moved, 40u);

  errno = 0;
  const IoRun refused = WriteWholeAt(fd, buffer, 0);  // opened read-only
  EXPECT_EQ(refused.end, IoEnd::kFailed);
  EXPECT_EQ(errno, EBADF);
  close(fd);
}

}  // namespace
}  // namespace tarvo
