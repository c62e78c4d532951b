// tarvo-cli run on a pseudo-terminal, as at a user's terminal: standard
// input, output and error are the terminal, and what is typed passes its
// line discipline (Ctrl-C, byte 03, becomes SIGINT). The run's time limit
// counts from the start; a run still going when the object goes is killed.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>

#include "support/cli_process.h"

namespace tarvo::testing {

class CliTerminal {
 public:
  explicit CliTerminal(const CliRun& run);  // starts it; run.input is not sent
  ~CliTerminal();
  CliTerminal(const CliTerminal&) = delete;
  CliTerminal& operator=(const CliTerminal&) = delete;

  // Sends keys as typed.
  bool Type(const std::string& keys);
  // Collects what the terminal shows until it holds `text` (from what was
  // not matched before), or the time limit passes. True when it did.
  bool WaitFor(const std::string& text);
  // Collects until it ends or the time limit passes (then it is killed):
  // everything shown is in `out`.
  CliResult Finish();

 private:
  // Collects for a while; false when the terminal closed or time ran out.
  bool Collect();

  pid_t pid_ = -1;
  int terminal_ = -1;
  std::chrono::steady_clock::time_point deadline_;
  std::size_t matched_ = 0;
  CliResult result_;
};

}  // namespace tarvo::testing
