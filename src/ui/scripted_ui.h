// The scripted user interface: a test double of the user-interface port.
//
// It answers every question and dialog from a queue of typed answers (the
// console's answer language, text_answers.h) and records everything shown.
// When the queue runs dry a question gets its default button; a dialog that
// is still open after its default gets "cancel", so no script can hang.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "ui/user_interface.h"

namespace tarvo {

class ScriptedUi : public UserInterface {
 public:
  // Answers, taken in order by questions and dialogs alike.
  std::deque<std::string> answers;
  // Escape keys waiting to be read by the abort poll.
  int pendingEscapes = 0;
  // What MessageDialog reports: 0 closed by the user, -1 closed by its timer.
  int messageDialogResult = 0;

  // Records.
  std::vector<std::string> messages;   // MessageDialog texts
  std::vector<std::string> boxes;      // ShowMessageBox texts
  std::vector<std::string> statusLines;  // "left|right" per paint
  std::vector<unsigned> progress;      // percentages painted
  std::vector<std::string> dialogs;    // dialog names, in order opened
  std::vector<int> waitFrames;
  int beeps = 0;

  int MessageDialog(const std::string& text, const std::string& caption) override;
  Answer ShowMessageBox(const std::string& text, const std::string& caption, Buttons buttons) override;
  void PaintStatusLine(const std::string& left, const std::string& right) override;
  void PaintProgress(unsigned percent) override;
  void ShowWaitFrame(int frame) override;
  bool TakeEscapeKey() override;
  void Beep() override { ++beeps; }

  void RunDeviceDialog(DeviceDialog& dialog) override;
  SameDriveChoice AskSameDrive() override;
  CapacityAnswer AskCapacity() override;

  // The next answer; "" (the default) once the queue is empty.
  std::string NextAnswer();
};

}  // namespace tarvo
