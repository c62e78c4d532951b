// DLG_OPT ("Advanced copy options") and DLG_PORT ("Output Ports"): the
// models of the two dialogs that set how files are copied to the PC. A
// front end draws the radio buttons and calls the action methods until
// `closed()`; a click takes effect at once.
//
// DLG_OPT: "Long file names", "Short file names", "Renaming on the fly" set
// the naming mode; the copy modes (data, resource, MacBinary, BinHex,
// AppleSingle, AppleDouble, text: the Options menu's choice, which follows)
// set the copy mode. OK (result 1) and the close box keep both; Cancel and
// Esc (result 0) put back the modes in force when the dialog opened. The
// output port is never touched.
// DLG_PORT: "File", "LPT1".."LPT3", "COM1".."COM4" set the output port. OK
// gives 1, Cancel 0; Cancel does not undo a click. The naming mode is never
// touched.
//
// Typed answers (console and scripted double): DLG_OPT: "long", "short" or
// "fly" (also "rename"), or a copy mode's name (kCopyModeNames) clicks that
// button and confirms; DLG_PORT: "file", "lpt1".."lpt3", "com1".."com4"
// likewise. In both, "ok" or an empty answer
// confirms and "cancel" cancels; anything else is ignored.
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
  void Cancel();
  void Close() { Finish(0); }  // the system menu's close keeps the mode
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
  void Cancel() { Finish(0); }
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
