// DLG_RECUP, "Rescue Scanning": the model of the dialog that scans the
// whole medium for catalog leaf nodes and copies the files they hold to the
// PC current directory (transfer/rescue_scan.h). A front end draws the
// value fields, the copy-mode radio buttons and the status line, and calls
// the action methods until `closed()`. What the buttons do is told in the
// user help.
//
// The copy-mode buttons set the copy mode while the dialog is open;
// RunRescue puts the modes back afterwards. A scan needs a known cluster
// size: without one, Start asks the parameters first and does not scan
// when they are cancelled.
#pragma once

#include <cstdint>
#include <string_view>

#include "transfer/rescue_scan.h"

namespace tarvo {

struct Context;

class RescueDialog {
 public:
  explicit RescueDialog(Context& ctx);

  void ChooseCopyMode(std::uint16_t mode);  // kCopyData, kCopyResource or kCopyMacBinary
  void Parameters();
  void Start();
  void Cancel() { closed_ = true; }
  // A typed answer (console and scripted double): "start", "data",
  // "resource", "binary" (a click on that button), "parameters", "cancel" or
  // "close". An empty answer is Start until a scan has run, then Cancel.
  void ApplyAnswer(std::string_view text);

  bool closed() const { return closed_; }
  bool parametersEnabled() const { return parametersEnabled_; }
  bool scanned() const { return scanned_; }
  std::uint16_t copyMode() const;
  const RescueFields& fields() const { return fields_; }

 private:
  Context& ctx_;
  RescueFields fields_;
  bool parametersEnabled_;
  bool scanned_ = false;
  bool closed_ = false;
};

// Menu 130: with no drive selected the drive is chosen first (DLG_DEV);
// then DLG_RECUP runs, and the copy and listing modes are put back as they
// were when it closes.
void RunRescue(Context& ctx);

}  // namespace tarvo
