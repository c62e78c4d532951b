// DLG_PARAM, "Volume Scanning Parameters": the geometry the rescue scan
// uses when no volume header gives it. "Logical Origin" is the first
// sector of allocation block 0 (`volumeOrigin`), "Cluster Size" the
// sectors per allocation block (`sectorsPerBlock`); both open with the
// values in force. OK stores them, read as unsigned decimal numbers, and
// sets the allocation block size to match (result 1); Cancel changes
// nothing (result 0). "Automatic Search" is disabled and only beeps.
//
// OK refuses, with a beep, a field that is not a decimal number and a
// cluster size of 0 (no block could be addressed) or above 128 (64 KB, more
// than any HFS allocation block).
#pragma once

#include <string>
#include <string_view>

namespace tarvo {

struct Context;

class ScanParametersDialog {
 public:
  explicit ScanParametersDialog(Context& ctx);

  void SetOrigin(std::string text) { origin_ = std::move(text); }
  void SetClusterSize(std::string text) { clusterSize_ = std::move(text); }
  void Ok();
  void Cancel();
  void AutomaticSearch();
  // A typed answer (console and scripted double): two numbers, "ORIGIN SIZE",
  // set both fields and confirm; "ok" or an empty answer confirms the values
  // shown; "cancel" cancels; "search" presses the disabled button.
  void ApplyAnswer(std::string_view text);

  bool closed() const { return closed_; }
  int result() const { return result_; }
  const std::string& origin() const { return origin_; }
  const std::string& clusterSize() const { return clusterSize_; }

 private:
  Context& ctx_;
  std::string origin_;
  std::string clusterSize_;
  bool closed_ = false;
  int result_ = 0;
};

// Runs the dialog through the user interface; returns its result.
int RunScanParameters(Context& ctx);

}  // namespace tarvo
