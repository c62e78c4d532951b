#include "base/held_signals.h"

#include <csignal>

namespace tarvo {

namespace {

// A signal handler can only leave a note where the program will look:
// the one signal noted while the outermost holder lives.
volatile std::sig_atomic_t gNoted = 0;

void Note(int signal) {
  if (gNoted == 0) gNoted = signal;
}

}  // namespace

SignalsHeld::SignalsHeld() {
  for (const int signal : kSignals) {
    struct sigaction current {};
    sigaction(signal, nullptr, &current);
    if (current.sa_handler == Note) return;  // an outer holder holds them already
  }
  outermost_ = true;
  gNoted = 0;
  struct sigaction note {};
  note.sa_handler = Note;
  sigemptyset(&note.sa_mask);
  for (std::size_t i = 0; i < kSignals.size(); ++i) {
    sigaction(kSignals[i], nullptr, &saved_[i]);
    if (saved_[i].sa_handler != SIG_IGN) sigaction(kSignals[i], &note, nullptr);
  }
}

SignalsHeld::~SignalsHeld() {
  if (!outermost_) return;
  for (std::size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &saved_[i], nullptr);
  if (const int noted = gNoted; noted != 0) {
    gNoted = 0;
    std::raise(noted);
  }
}

}  // namespace tarvo
