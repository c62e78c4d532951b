#include "support/cli_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string_view>

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
  ExecTarvoCli(run);
}

}  // namespace

void ExecTarvoCli(const CliRun& run) {
  if (!run.tempDir.empty()) setenv("TMPDIR", run.tempDir.c_str(), 1);
  for (const std::string& setting : run.env) putenv(const_cast<char*>(setting.c_str()));
  if (!run.workDir.empty() && chdir(run.workDir.c_str()) != 0) _exit(126);
  if (run.fileSizeLimit > 0) {
    const rlimit limit{static_cast<rlim_t>(run.fileSizeLimit), static_cast<rlim_t>(run.fileSizeLimit)};
    // Ignored, the signal lets the write fail instead of ending the program.
    if (signal(SIGXFSZ, SIG_IGN) == SIG_ERR || setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
  }
  const std::vector<std::string>& args = run.args;
  std::vector<char*> argv;
  std::string program = run.program.empty() ? TARVO_CLI_PATH : run.program;
  argv.push_back(program.data());
  std::vector<std::string> copies(args);
  for (std::string& arg : copies) argv.push_back(arg.data());
  argv.push_back(nullptr);
  execv(program.c_str(), argv.data());
  _exit(127);
}

namespace {

// Feeds the input (closing the input when it is all written, at once when
// there is none) and collects both outputs until they close or `enough`
// says so. False when time ran out first.
bool Exchange(int& inFd, int& outFd, int& errFd, const std::string& input, CliResult& result,
              Clock::time_point deadline, const std::function<bool()>& enough) {
  std::size_t written = 0;
  if (input.empty()) CloseFd(inFd);
  while ((outFd >= 0 || errFd >= 0) && !enough()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
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
  return true;
}

}  // namespace

bool CliResult::EndedCleanly() const {
  const bool sanitizerReport = err.find("Sanitizer") != std::string::npos ||
                               err.find("runtime error:") != std::string::npos;
  return !timedOut && signal == 0 && (exitCode == 0 || exitCode == 1) && !sanitizerReport;
}

std::string WithoutCopySummaries(const std::string& err) {
  std::string kept;
  for (std::size_t at = 0; at < err.size();) {
    const std::size_t end = std::min(err.find('\n', at), err.size() - 1) + 1;
    const std::string_view line = std::string_view(err).substr(at, end - at);
    const bool summary = line.starts_with("Tarvo: ") && line.find(" copied, ") != std::string_view::npos &&
                         line.ends_with(" failed.\n");
    if (!summary) kept += line;
    at = end;
  }
  return kept;
}

std::string TarvoCliPath() { return TARVO_CLI_PATH; }

CliResult RunTarvoCli(const std::vector<std::string>& args, const std::string& input, const std::string& tempDir,
                      int timeLimitSeconds) {
  CliRun run;
  run.args = args;
  run.input = input;
  run.tempDir = tempDir;
  run.timeLimitSeconds = timeLimitSeconds;
  return RunTarvoCli(run);
}

CliResult RunTarvoCli(const CliRun& run) { return CliSession(run).Finish(run.input); }

CliSession::CliSession(const CliRun& run) : deadline_(Clock::now() + std::chrono::seconds(run.timeLimitSeconds)) {
  Pipe in, out, err;
  if (!in.Open() || !out.Open() || !err.Open()) return;
  // A child that stops reading its input must not kill the test with SIGPIPE.
  signal(SIGPIPE, SIG_IGN);
  pid_ = fork();
  if (pid_ == 0) ExecChild(run, in, out, err);
  CloseFd(in.read);
  CloseFd(out.write);
  CloseFd(err.write);
  in_ = in.write;
  out_ = out.read;
  err_ = err.read;
  if (pid_ < 0) {
    CloseFd(in_);
    CloseFd(out_);
    CloseFd(err_);
  }
}

CliSession::~CliSession() {
  CloseFd(in_);
  CloseFd(out_);
  CloseFd(err_);
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

bool CliSession::Send(const std::string& text) {
  for (std::size_t written = 0; written < text.size();) {
    const ssize_t n = in_ < 0 ? -1 : write(in_, text.data() + written, text.size() - written);
    if (n <= 0) return false;
    written += static_cast<std::size_t>(n);
  }
  return true;
}

bool CliSession::WaitForOutput(const std::string& text) { return WaitFor(&CliResult::out, matched_, text); }

bool CliSession::WaitForError(const std::string& text) { return WaitFor(&CliResult::err, errMatched_, text); }

bool CliSession::WaitFor(std::string CliResult::*stream, std::size_t& matched, const std::string& text) {
  int noInput = -1;
  std::size_t at = std::string::npos;
  const auto found = [&] { return (at = (result_.*stream).find(text, matched)) != std::string::npos; };
  Exchange(noInput, out_, err_, "", result_, deadline_, found);
  if (at == std::string::npos) return false;
  matched = at + text.size();
  return true;
}

void CliSession::Signal(int signal) {
  if (pid_ > 0) kill(pid_, signal);
}

bool CliSession::Running() const {
  siginfo_t info{};
  // WNOWAIT: the exit status stays to be collected by Finish.
  return pid_ > 0 && waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
         info.si_pid == 0;
}

CliResult CliSession::Finish(const std::string& input) {
  if (pid_ <= 0) return result_;
  bool finished = Exchange(in_, out_, err_, input, result_, deadline_, [] { return false; });
  CloseFd(in_);
  CloseFd(out_);
  CloseFd(err_);
  int status = 0;
  while (finished) {
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) break;
    if (Clock::now() >= deadline_) finished = false;
    else usleep(10000);
  }
  if (!finished) {
    result_.timedOut = true;
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return result_;
  }
  pid_ = -1;
  if (WIFEXITED(status)) result_.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result_.signal = WTERMSIG(status);
  return result_;
}

}  // namespace tarvo::testing
