#include "support/cli_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace tarvo::testing {

namespace {

using Clock = std::chrono::steady_clock;

struct Pipe {
  int read = -1, write = -1;
  bool Open() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    read = fds[0];
    write = fds[1];
    return true;
  }
};

void CloseFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

[[noreturn]] void ExecChild(const CliRun& run, Pipe& in, Pipe& out, Pipe& err) {
  dup2(in.read, 0);
  dup2(out.write, 1);
  dup2(err.write, 2);
  if (!run.tempDir.empty()) setenv("TMPDIR", run.tempDir.c_str(), 1);
  for (const std::string& setting : run.env) putenv(const_cast<char*>(setting.c_str()));
  if (!run.workDir.empty() && chdir(run.workDir.c_str()) != 0) _exit(126);
  const std::vector<std::string>& args = run.args;
  std::vector<char*> argv;
  std::string program = TARVO_CLI_PATH;
  argv.push_back(program.data());
  std::vector<std::string> copies(args);
  for (std::string& arg : copies) argv.push_back(arg.data());
  argv.push_back(nullptr);
  execv(program.c_str(), argv.data());
  _exit(127);
}

// Feeds the input and collects both outputs until they close or time runs out.
bool Exchange(int inFd, int outFd, int errFd, const std::string& input, CliResult& result, Clock::time_point deadline) {
  std::size_t written = 0;
  if (input.empty()) CloseFd(inFd);
  while (outFd >= 0 || errFd >= 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
      CloseFd(inFd);
      CloseFd(outFd);
      CloseFd(errFd);
      return false;
    }
    pollfd fds[3] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}, {inFd, POLLOUT, 0}};
    if (poll(fds, 3, static_cast<int>(left)) < 0) continue;
    std::string* sinks[2] = {&result.out, &result.err};
    int* sources[2] = {&outFd, &errFd};
    for (int i = 0; i < 2; ++i) {
      if (fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = read(*sources[i], buffer, sizeof buffer);
      if (n > 0) sinks[i]->append(buffer, static_cast<std::size_t>(n));
      else CloseFd(*sources[i]);
    }
    if (inFd >= 0 && fds[2].revents != 0) {
      const ssize_t n = (fds[2].revents & POLLOUT) ? write(inFd, input.data() + written, input.size() - written) : -1;
      if (n > 0) written += static_cast<std::size_t>(n);
      if (n <= 0 || written == input.size()) CloseFd(inFd);
    }
  }
  CloseFd(inFd);
  return true;
}

}  // namespace

bool CliResult::EndedCleanly() const {
  const bool sanitizerReport = err.find("Sanitizer") != std::string::npos ||
                               err.find("runtime error:") != std::string::npos;
  return !timedOut && signal == 0 && (exitCode == 0 || exitCode == 1) && !sanitizerReport;
}

CliResult RunTarvoCli(const std::vector<std::string>& args, const std::string& input, const std::string& tempDir,
                      int timeLimitSeconds) {
  CliRun run;
  run.args = args;
  run.input = input;
  run.tempDir = tempDir;
  run.timeLimitSeconds = timeLimitSeconds;
  return RunTarvoCli(run);
}

CliResult RunTarvoCli(const CliRun& run) {
  CliResult result;
  Pipe in, out, err;
  if (!in.Open() || !out.Open() || !err.Open()) return result;
  // A child that stops reading its input must not kill the test with SIGPIPE.
  signal(SIGPIPE, SIG_IGN);
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(run.timeLimitSeconds);
  const pid_t pid = fork();
  if (pid == 0) ExecChild(run, in, out, err);
  CloseFd(in.read);
  CloseFd(out.write);
  CloseFd(err.write);
  if (pid < 0) {
    CloseFd(in.write);
    CloseFd(out.read);
    CloseFd(err.read);
    return result;
  }

  bool finished = Exchange(in.write, out.read, err.read, run.input, result, deadline);
  int status = 0;
  while (finished) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (Clock::now() >= deadline) finished = false;
    else usleep(10000);
  }
  if (!finished) {
    result.timedOut = true;
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return result;
  }
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

}  // namespace tarvo::testing
