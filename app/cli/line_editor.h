// Typed commands read on a terminal with line editing and the session's
// history (libedit): the arrows move in the line and step through the
// lines typed before. The bytes come through LineInput, so that a Ctrl-C
// ends the wait for a command as it does without line editing.
#pragma once

#include <string>

#include "line_input.h"

namespace tarvo {

class LineEditor {
 public:
  // Reads from `input`, which stays the caller's; one editor a program.
  explicit LineEditor(LineInput& input);
  ~LineEditor();
  LineEditor(const LineEditor&) = delete;
  LineEditor& operator=(const LineEditor&) = delete;

  // Shows the prompt on standard error and reads one line; a line that
  // is not blank joins the history.
  InputLine Read(const std::string& prompt);
};

}  // namespace tarvo
