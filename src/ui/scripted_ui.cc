#include "ui/scripted_ui.h"

#include "ui/device_dialog.h"
#include "ui/text_answers.h"

namespace tarvo {

std::string ScriptedUi::NextAnswer() {
  if (answers.empty()) return {};
  std::string a = answers.front();
  answers.pop_front();
  return a;
}

int ScriptedUi::MessageDialog(const std::string& text, const std::string&) {
  messages.push_back(text);
  return messageDialogResult;
}

Answer ScriptedUi::ShowMessageBox(const std::string& text, const std::string&, Buttons buttons) {
  boxes.push_back(text);
  return ParseBoxAnswer(NextAnswer(), buttons).value_or(*ParseBoxAnswer("", buttons));
}

void ScriptedUi::PaintStatusLine(const std::string& left, const std::string& right) {
  statusLines.push_back(left + "|" + right);
}

void ScriptedUi::PaintProgress(unsigned percent) { progress.push_back(percent); }

void ScriptedUi::ShowWaitFrame(int frame) { waitFrames.push_back(frame); }

bool ScriptedUi::TakeEscapeKey() {
  if (pendingEscapes == 0) return false;
  --pendingEscapes;
  return true;
}

void ScriptedUi::RunDeviceDialog(DeviceDialog& dialog) {
  dialogs.push_back("DLG_DEV");
  bool defaulted = false;
  for (int guard = 0; !dialog.closed() && guard < 1000; ++guard) {
    if (!answers.empty()) dialog.ApplyAnswer(NextAnswer());
    else if (!defaulted) dialog.ApplyAnswer(""), defaulted = true;
    else dialog.Cancel();
  }
}

SameDriveChoice ScriptedUi::AskSameDrive() {
  dialogs.push_back("DLG_SAME");
  return ParseSameDriveAnswer(NextAnswer()).value_or(SameDriveChoice::kCancel);
}

CapacityAnswer ScriptedUi::AskCapacity() {
  dialogs.push_back("DLG_CAPA");
  return ParseCapacityAnswer(NextAnswer()).value_or(CapacityAnswer{});
}

}  // namespace tarvo
