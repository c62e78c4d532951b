// The signals that stop a program, held back while an update reaches the
// medium.
//
// While a SignalsHeld lives, SIGINT, SIGTERM and SIGHUP are noted instead
// of acted on, whichever thread of the program receives them (one the
// program ignores stays ignored). When it ends, the program's own handling
// of them comes back and the first one noted is raised again: the program
// ends, or does what it set up for that signal, with the update whole.
// Holders nest: only the outermost one holds and raises.
#pragma once

#include <signal.h>

#include <array>

namespace tarvo {

class SignalsHeld {
 public:
  SignalsHeld();
  ~SignalsHeld();
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  static constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};
  std::array<struct sigaction, kSignals.size()> saved_{};
  bool outermost_ = false;
};

}  // namespace tarvo
