// The user-interface port of tarvo-mount: nobody sits at a mount.
//
// Messages go to standard error as "tarvo-mount: TEXT" (a daemon has
// none: they are lost). Questions are shown there and take their default
// answer, so a question that destroys data is answered Cancel or No; the
// partition chooser takes the row given with --partition, the drive
// dialog the first drive.
#pragma once

#include <cstdio>
#include <deque>
#include <string>

#include "ui/unattended_ui.h"

namespace tarvo {

class MountUi : public UnattendedUi {
 public:
  explicit MountUi(std::FILE* err) : err_(err) {}

  // Answers for the dialogs of the start-up, taken in order.
  std::deque<std::string> answers;

  int MessageDialog(const std::string& text, const std::string& caption) override;
  // The first drive is taken: /A chooses another.
  void RunDeviceDialog(DeviceDialog& dialog) override;

 protected:
  void Present(const Prompt& prompt, bool again) override;
  std::optional<std::string> ReadAnswer() override;

 private:
  void Say(const std::string& ansi);
  std::FILE* err_;
};

}  // namespace tarvo
