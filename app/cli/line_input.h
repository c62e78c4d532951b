// Lines of standard input for tarvo-cli, read so that Ctrl-C can end a
// wait for input.
//
// Ctrl-C (SIGINT) only sets a flag: a long operation reads it as the Esc
// key. While the console waits for a typed command, a Ctrl-C ends the
// wait at once (no window between the check and the read lets one slip
// by); while it waits for the answer to a question, Ctrl-C is left for
// the operation that asked.
#pragma once

#include <signal.h>

#include <string>

namespace tarvo {

// What a wait for a line came to.
struct InputLine {
  enum Kind { kLine, kEnd, kInterrupted } kind = kEnd;
  std::string text;  // kLine: the line without its end ("\n" or "\r\n")
};

// What a wait for one byte came to.
struct InputByte {
  enum Kind { kByte, kEnd, kInterrupted } kind = kEnd;
  char byte = 0;  // kByte
};

class LineInput {
 public:
  // Installs the Ctrl-C handler, unless Ctrl-C is ignored (a job started
  // in the background keeps ignoring it); the destructor restores the
  // handling there was before.
  explicit LineInput(int fd);
  ~LineInput();
  LineInput(const LineInput&) = delete;
  LineInput& operator=(const LineInput&) = delete;

  // The next line. With `interruptible`, a Ctrl-C noted before or during
  // the wait ends it (kInterrupted) and is taken.
  InputLine Read(bool interruptible);

  // The next byte. With `interruptible`, a Ctrl-C noted before or during
  // the wait ends it (kInterrupted) and is left noted.
  InputByte ReadByte(bool interruptible);

  // Takes a noted Ctrl-C: true when there was one.
  static bool TakeInterrupt();

 private:
  // Waits until input is readable; false when a Ctrl-C came first.
  bool WaitReadable(bool interruptible);

  int fd_;
  struct sigaction previous_ {};
};

}  // namespace tarvo
