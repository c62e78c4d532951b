#include "mount_ui.h"

#include "base/utf8.h"
#include "ui/device_dialog.h"

namespace tarvo {

int MountUi::MessageDialog(const std::string& text, const std::string&) {
  Say(text);
  return -1;
}

void MountUi::Present(const Prompt& prompt, bool again) {
  if (!again) Say(prompt.text + (prompt.choices.empty() ? "" : " " + prompt.choices));
}

void MountUi::RunDeviceDialog(DeviceDialog& dialog) {
  if (!dialog.ChooseFirstDrive()) TextUi::RunDeviceDialog(dialog);
}

std::optional<std::string> MountUi::ReadAnswer() {
  if (answers.empty()) return std::nullopt;
  std::string answer = answers.front();
  answers.pop_front();
  return answer;
}

void MountUi::Say(const std::string& ansi) {
  std::fprintf(err_, "tarvo-mount: %s\n", AnsiToUtf8(ansi).c_str());
  std::fflush(err_);
}

}  // namespace tarvo
