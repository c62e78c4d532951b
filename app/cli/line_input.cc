#include "line_input.h"

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace tarvo {

namespace {

// A signal handler can reach nothing but a flag of its own.
std::atomic<bool> gInterrupted{false};

void OnInterrupt(int) { gInterrupted = true; }

}  // namespace

LineInput::LineInput(int fd) : fd_(fd) {
  sigaction(SIGINT, nullptr, &previous_);
  if (previous_.sa_handler == SIG_IGN) return;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a wait for input ends
  sigaction(SIGINT, &action, nullptr);
}

LineInput::~LineInput() { sigaction(SIGINT, &previous_, nullptr); }

bool LineInput::TakeInterrupt() { return gInterrupted.exchange(false); }

// Ctrl-C is held back while the flag is looked at and let through only
// inside ppoll, so one that comes just before the wait still ends it.
bool LineInput::WaitReadable(bool interruptible) {
  sigset_t held, before;
  sigemptyset(&held);
  sigaddset(&held, SIGINT);
  pthread_sigmask(SIG_BLOCK, &held, &before);
  sigset_t during = before;
  sigdelset(&during, SIGINT);
  bool readable = false;
  while (!(interruptible && gInterrupted)) {
    pollfd input{fd_, POLLIN, 0};
    const int n = ppoll(&input, 1, nullptr, &during);
    if (n > 0 || (n < 0 && errno != EINTR)) {  // a failure is left for read to report
      readable = true;
      break;
    }
  }
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  return readable;
}

InputByte LineInput::ReadByte(bool interruptible) {
  for (;;) {
    if (!WaitReadable(interruptible)) return {InputByte::kInterrupted};
    char c = 0;
    const ssize_t n = read(fd_, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return {InputByte::kEnd};
    return {InputByte::kByte, c};
  }
}

// One byte a read: what follows the line stays in the input for whoever
// reads it next (a shell loop feeding one line a run).
InputLine LineInput::Read(bool interruptible) {
  InputLine line;
  for (;;) {
    const InputByte next = ReadByte(interruptible);
    if (next.kind == InputByte::kInterrupted) {
      TakeInterrupt();
      return {InputLine::kInterrupted, {}};
    }
    if (next.kind == InputByte::kEnd) {
      if (line.text.empty()) return {InputLine::kEnd, {}};
      break;
    }
    if (next.byte == '\n') break;
    line.text.push_back(next.byte);
  }
  if (!line.text.empty() && line.text.back() == '\r') line.text.pop_back();
  line.kind = InputLine::kLine;
  return line;
}

}  // namespace tarvo
