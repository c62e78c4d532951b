// The scripted user interface: a test double of the user-interface port.
//
// It answers every question and dialog from a queue of typed answers (the
// console's answer language, text_answers.h) and records everything shown.
// When the queue runs dry a question gets its default button (Cancel or No
// when it destroys data) and a dialog its default and then "cancel", so no
// script can hang.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "ui/text_ui.h"
#include "ui/volume_info.h"

namespace tarvo {

class ScriptedUi : public TextUi {
 public:
  // Answers, taken in order by questions and dialogs alike.
  std::deque<std::string> answers;
  // Escape keys waiting to be read by the abort poll.
  int pendingEscapes = 0;
  // What MessageDialog reports: 0 closed by the user, -1 closed by its timer.
  int messageDialogResult = 0;

  // Records.
  std::vector<std::string> messages;     // MessageDialog texts
  std::vector<std::string> boxes;        // message box texts
  std::vector<std::string> dialogs;      // dialog names, in the order opened
  std::vector<std::string> statusLines;  // "left|right" per paint
  std::vector<unsigned> progress;        // percentages painted
  std::vector<int> waitFrames;
  int beeps = 0;
  int repaints = 0;
  std::vector<std::vector<std::string>> listings;  // lines of each listing shown
  std::vector<std::string> helpTopics;
  std::vector<VolumeInfo> volumeInfos;  // each DLG_INFO shown

  int MessageDialog(const std::string& text, const std::string& caption) override;
  void PaintStatusLine(const std::string& left, const std::string& right) override;
  void PaintProgress(unsigned percent) override { progress.push_back(percent); }
  void ShowWaitFrame(int frame) override { waitFrames.push_back(frame); }
  bool TakeEscapeKey() override;
  void Beep() override { ++beeps; }
  void Repaint() override { ++repaints; }
  void ShowListing(const std::vector<std::string>& lines) override { listings.push_back(lines); }
  void ShowHelp(const std::string& topic) override { helpTopics.push_back(topic); }
  void ShowVolumeInfo(const VolumeInfo& info) override { volumeInfos.push_back(info); }

 protected:
  void Present(const Prompt& prompt, bool again) override;
  std::optional<std::string> ReadAnswer() override;
};

}  // namespace tarvo
