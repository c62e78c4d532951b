#include "support/cli_terminal.h"

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarvo::testing {

using Clock = std::chrono::steady_clock;

CliTerminal::CliTerminal(const CliRun& run)
    : deadline_(Clock::now() + std::chrono::seconds(run.timeLimitSeconds)) {
  winsize size{};
  size.ws_row = 24;
  size.ws_col = 80;
  pid_ = forkpty(&terminal_, nullptr, nullptr, &size);
  if (pid_ == 0) ExecTarvoCli(run);
}

CliTerminal::~CliTerminal() {
  if (terminal_ >= 0) close(terminal_);
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

bool CliTerminal::Type(const std::string& keys) {
  for (std::size_t written = 0; written < keys.size();) {
    const ssize_t n = pid_ <= 0 ? -1 : write(terminal_, keys.data() + written, keys.size() - written);
    if (n <= 0) return false;
    written += static_cast<std::size_t>(n);
  }
  return true;
}

bool CliTerminal::Collect() {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now()).count();
  if (left <= 0 || pid_ <= 0) return false;
  pollfd fd{terminal_, POLLIN, 0};
  if (poll(&fd, 1, static_cast<int>(left)) <= 0) return true;
  char buffer[4096];
  const ssize_t n = read(terminal_, buffer, sizeof buffer);
  if (n <= 0) return false;  // EIO: every process let go of the terminal
  result_.out.append(buffer, static_cast<std::size_t>(n));
  return true;
}

bool CliTerminal::WaitFor(const std::string& text) {
  for (;;) {
    const std::size_t at = result_.out.find(text, matched_);
    if (at != std::string::npos) {
      matched_ = at + text.size();
      return true;
    }
    if (!Collect()) return false;
  }
}

CliResult CliTerminal::Finish() {
  while (Collect()) {
  }
  if (pid_ <= 0) return result_;
  int status = 0;
  while (waitpid(pid_, &status, WNOHANG) == 0) {
    if (Clock::now() >= deadline_) {
      result_.timedOut = true;
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      break;
    }
    usleep(10000);
  }
  pid_ = -1;
  if (WIFEXITED(status)) result_.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result_.signal = WTERMSIG(status);
  return result_;
}

}  // namespace tarvo::testing
