#include "ui/scripted_ui.h"

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

void ScriptedUi::Present(std::string_view dialog, const std::string& text, bool again) {
  if (again) return;
  if (dialog == "box") boxes.push_back(text);
  else dialogs.emplace_back(dialog);
}

std::optional<std::string> ScriptedUi::ReadAnswer() {
  if (answers.empty()) return std::nullopt;
  std::string a = answers.front();
  answers.pop_front();
  return a;
}

}  // namespace tarvo
