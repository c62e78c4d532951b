// DLG_OPT ("Advanced copy options") and DLG_PORT ("Output Ports"): the
// models of the two dialogs that set how files are copied to the PC. A
// front end draws the radio buttons and calls the action methods until
// `closed()`; a click takes effect at once. Each dialog touches only its own
// settings: the naming and copy modes, or the output port.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/program_settings.h"

namespace tarvo {

class NamingDialog {
 public:
  explicit NamingDialog(ProgramSettings& settings)
      : settings_(settings), opened_(settings.namingMode), openedCopyMode_(copyMode()) {}

  void Click(NamingMode mode) { settings_.namingMode = mode; }
  // One of the copy-mode bits.
  void ClickCopyMode(std::uint16_t mode);
  void Ok() { Finish(1); }
  // Puts back the modes in force when the dialog opened.
  void Cancel();
  void Close() { Finish(0); }  // the system menu's close keeps the mode
  // A typed answer (console and scripted double): "long", "short", "fly"
  // (also "rename") or a copy mode's name (kCopyModeNames) clicks that
  // button and confirms; "ok" or an empty answer confirms; "cancel"
  // cancels; anything else is ignored.
  void ApplyAnswer(std::string_view text);

  bool closed() const { return closed_; }
  int result() const { return result_; }
  NamingMode checked() const { return settings_.namingMode; }
  std::uint16_t copyMode() const { return settings_.modeFlags & kCopyModeBits; }

 private:
  void Finish(int result);

  ProgramSettings& settings_;
  NamingMode opened_;
  std::uint16_t openedCopyMode_;
  bool closed_ = false;
  int result_ = 0;
};

class PortDialog {
 public:
  explicit PortDialog(ProgramSettings& settings) : settings_(settings) {}

  void Click(int port);  // 0 file, 1-7 LPT1..COM4
  void Ok() { Finish(1); }
  void Cancel() { Finish(0); }  // does not undo a click
  // A typed answer: "file", "lpt1".."lpt3" or "com1".."com4" clicks that
  // button and confirms; "ok", "cancel" and the rest as NamingDialog's.
  void ApplyAnswer(std::string_view text);

  bool closed() const { return closed_; }
  int result() const { return result_; }
  int checked() const { return settings_.outputPort; }

 private:
  void Finish(int result);

  ProgramSettings& settings_;
  bool closed_ = false;
  int result_ = 0;
};

struct Context;

// Runs each dialog through the user interface; returns its result.
int RunNamingOptions(Context& ctx);
int RunOutputPorts(Context& ctx);

}  // namespace tarvo
