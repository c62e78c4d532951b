// Runs the tarvo-cli binary as a child process: its arguments, standard
// input and temporary folder given, standard output and error collected,
// and a time limit after which it is killed (a hang guard, not a timing).
#pragma once

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
  int timeLimitSeconds = 20;
};

// Runs TARVO_CLI_PATH as the run says.
CliResult RunTarvoCli(const CliRun& run);
CliResult RunTarvoCli(const std::vector<std::string>& args, const std::string& input = "",
                      const std::string& tempDir = "", int timeLimitSeconds = 20);

}  // namespace tarvo::testing
