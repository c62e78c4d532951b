// Messages, the status line, the progress bar, the Esc poll and the wait
// cursor: the services every long or failing operation uses.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "base/user_interface.h"

namespace tarvo {

struct Engine;

// What the status line and the wait cursor hold between calls.
struct ServicesState {
  std::string statusLeft;
  std::string statusRight;
  int waitFrame = 0;
};

// Thrown by FatalError after its message; the front end's main catches it
// and ends the process with its exit code (1 unless stated).
class FatalExit : public std::runtime_error {
 public:
  explicit FatalExit(const std::string& text, int code = 1) : std::runtime_error(text), exitCode(code) {}
  int exitCode;
};

// The self-closing message, captioned "Tarvo"; when it closes by itself and
// a log is open, the log gains "#" + text. Returns the port's result.
int MessageDialog(Engine& ctx, const std::string& text);
int MessageDialog(Engine& ctx, int entry);
// A question that erases or overwrites data says so with Stakes::kDestroys.
Answer ShowMessageBox(Engine& ctx, const std::string& text, Buttons buttons, Stakes stakes = Stakes::kHarmless);
[[noreturn]] void FatalError(Engine& ctx, const std::string& text, int exitCode = 1);

// Status line. Left: nullopt empties it, "" keeps it, other text replaces
// it. Right: nullopt empties it, other text replaces it.
void SetStatus(Engine& ctx, std::optional<std::string> left, std::optional<std::string> right = std::nullopt);
void ShowProgress(Engine& ctx, unsigned long remaining, unsigned long total);
// Percentage done, as the progress bar shows it.
unsigned ProgressPercent(unsigned long remaining, unsigned long total);
bool PollAbort(Engine& ctx);
void AdvanceWaitCursor(Engine& ctx);

}  // namespace tarvo
