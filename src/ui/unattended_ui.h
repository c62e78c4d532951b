// The ground of a user interface that nobody watches (a build in the
// background, a mounted file system): nothing is drawn, no key is read.
// What is shown and answered is left to the subclass.
#pragma once

#include <string>
#include <vector>

#include "ui/text_ui.h"

namespace tarvo {

class UnattendedUi : public TextUi {
 public:
  void PaintStatusLine(const std::string&, const std::string&) override {}
  void PaintProgress(unsigned) override {}
  void ShowWaitFrame(int) override {}
  bool TakeEscapeKey() override { return false; }
  void Beep() override {}
  void Repaint() override {}
  void ShowListing(const std::vector<std::string>&) override {}
  void ShowHelp(const std::string&) override {}
  void ShowVolumeInfo(const VolumeInfo&) override {}
};

}  // namespace tarvo
