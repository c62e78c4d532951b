// Runs the tarvo-cli binary as a child process: its arguments, standard
// input and temporary folder given, standard output and error collected,
// and a time limit after which it is killed (a hang guard, not a timing).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace tarvo::testing {

struct CliResult {
  std::string out;
  std::string err;
  int exitCode = -1;   // -1 when it did not exit by itself
  int signal = 0;      // the signal that ended it, 0 when none
  bool timedOut = false;

  // Ended by itself with code 0 or 1, without a sanitizer's report.
  bool EndedCleanly() const;
};

struct CliRun {
  std::vector<std::string> args;
  std::string input;
  std::string tempDir;              // TMPDIR, when given
  std::string workDir;              // the current directory, when given
  std::vector<std::string> env;     // further NAME=value settings
  // The largest file it may write, when given: a longer write fails (EFBIG).
  long fileSizeLimit = 0;
  int timeLimitSeconds = 20;
  std::string program;  // the binary to run; empty: tarvo-cli
};

// Standard error without the summaries that end the commands that copied:
// the messages alone.
std::string WithoutCopySummaries(const std::string& err);

// The tarvo-cli binary under test, for a shell to run.
std::string TarvoCliPath();

// In a child process whose standard streams are set: becomes
// TARVO_CLI_PATH as the run says (its input is not sent).
[[noreturn]] void ExecTarvoCli(const CliRun& run);

// Runs TARVO_CLI_PATH as the run says.
CliResult RunTarvoCli(const CliRun& run);
CliResult RunTarvoCli(const std::vector<std::string>& args, const std::string& input = "",
                      const std::string& tempDir = "", int timeLimitSeconds = 20);

// A tarvo-cli that keeps running beside the test: its standard input stays
// open, so that it waits for its next typed command holding its drives,
// until Finish. The run's time limit counts from the start; a session
// still running when the object goes is killed.
class CliSession {
 public:
  explicit CliSession(const CliRun& run);  // starts it; run.input is not sent
  ~CliSession();
  CliSession(const CliSession&) = delete;
  CliSession& operator=(const CliSession&) = delete;

  // Sends text to its standard input.
  bool Send(const std::string& text);
  // Collects its output until standard output holds `text` (from what was
  // not matched before), or the time limit passes. True when it did.
  bool WaitForOutput(const std::string& text);
  // The same for standard error.
  bool WaitForError(const std::string& text);
  // Sends it the signal (SIGINT: Ctrl-C).
  void Signal(int signal);
  // Whether it is still running.
  bool Running() const;
  // Sends `input`, closes its standard input, and collects its output
  // until it ends or the time limit passes (then it is killed).
  CliResult Finish(const std::string& input = "");

 private:
  pid_t pid_ = -1;
  int in_ = -1, out_ = -1, err_ = -1;
  std::chrono::steady_clock::time_point deadline_;
  // Collects output until `stream` holds `text` after `matched`.
  bool WaitFor(std::string CliResult::*stream, std::size_t& matched, const std::string& text);

  std::size_t matched_ = 0;     // standard output up to here was matched by WaitForOutput
  std::size_t errMatched_ = 0;  // standard error, by WaitForError
  CliResult result_;
};

}  // namespace tarvo::testing
