#include "support/scripted_ui.h"

namespace tarvo {

int ScriptedUi::MessageDialog(const std::string& text, const std::string&) {
  messages.push_back(text);
  return messageDialogResult;
}

void ScriptedUi::PaintStatusLine(const std::string& left, const std::string& right) {
  statusLines.push_back(left + "|" + right);
}

bool ScriptedUi::TakeEscapeKey() {
  if (pendingEscapes == 0) return false;
  --pendingEscapes;
  return true;
}

void ScriptedUi::Present(const Prompt& prompt, bool again) {
  if (again) return;
  if (prompt.dialog == "box") boxes.push_back(prompt.text);
  else dialogs.emplace_back(prompt.dialog);
}

std::optional<std::string> ScriptedUi::ReadAnswer() {
  if (answers.empty()) return std::nullopt;
  std::string a = answers.front();
  answers.pop_front();
  return a;
}

}  // namespace tarvo
