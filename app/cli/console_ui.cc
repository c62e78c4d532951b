#include "console_ui.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include "base/utf8.h"
#include "command/keywords.h"
#include "ui/device_dialog.h"
#include "ui/name_dialog.h"
#include "ui/text_answers.h"
#include "ui/volume_info.h"

namespace tarvo {

ConsoleUi::ConsoleUi(std::FILE* in, std::FILE* err, bool yes, bool verbose)
    : input_(fileno(in)), err_(err), yes_(yes), verbose_(verbose),
      inTerminal_(isatty(fileno(in)) != 0), errTerminal_(isatty(fileno(err)) != 0) {
#ifdef TARVO_LINE_EDITING
  // Its redrawing is for a screen, not for a log standard error may go to.
  if (inTerminal_ && errTerminal_) editor_.emplace(input_);
#endif
}

ConsoleUi::~ConsoleUi() = default;

void ConsoleUi::Write(const std::string& ansiText) {
  std::string text = AnsiToUtf8(ansiText);
  std::fwrite(text.data(), 1, text.size(), err_);
}

int ConsoleUi::MessageDialog(const std::string& text, const std::string&) {
  EndProgressLine();
  Write("Tarvo: " + text + "\n");
  if (inCommand_) outcome_ = CommandsOutcome::kFailed;
  // Nobody closes a console message: it counts as closed by its timer, so
  // an open log records it.
  return -1;
}

Answer ConsoleUi::ShowMessageBox(const std::string& text, const std::string& caption, Buttons buttons,
                                 Stakes stakes) {
  Answer answer;
  if (yes_ && buttons != Buttons::kOk) {
    answer = DefaultBoxAnswer(buttons, Stakes::kHarmless);  // OK or Yes
    EndProgressLine();
    Write("Tarvo: " + text + " " + BoxChoices(buttons, stakes) + " " + std::string(AnswerWord(answer)) +
          " (--yes)\n");
  } else {
    answer = TextUi::ShowMessageBox(text, caption, buttons, stakes);
  }
  // A box with OK alone tells of a failure; Cancel refuses; after a taken
  // Esc the question is the abort poll's, and Yes aborts.
  const bool aborted = escapeTaken_ && answer == Answer::kYes;
  escapeTaken_ = false;
  if (inCommand_ && (buttons == Buttons::kOk || answer == Answer::kCancel || aborted))
    outcome_ = CommandsOutcome::kFailed;
  return answer;
}

ExistingFileAnswer ConsoleUi::AskExistingFile(const std::string& text) {
  if (!yes_) return TextUi::AskExistingFile(text);
  EndProgressLine();
  Write("Tarvo: " + text + " " + kExistingFileChoices + " keep (--yes)\n");
  return ExistingFileAnswer{ExistingFileAction::kKeepBoth, false};
}

void ConsoleUi::RunDeviceDialog(DeviceDialog& dialog) {
  if ((!inTerminal_ || dialog.driveCount() == 1) && dialog.ChooseFirstDrive()) return;
  TextUi::RunDeviceDialog(dialog);
}

void ConsoleUi::RunNameDialog(NameDialog& dialog) {
  if (yes_ && dialog.stakes() == Stakes::kDestroys) {
    EndProgressLine();
    Write(DescribeNameDialog(dialog) + " ok (--yes)\n");
    dialog.Ok();
    return;
  }
  TextUi::RunNameDialog(dialog);
}

void ConsoleUi::PaintStatusLine(const std::string& left, const std::string& right) {
  activity_ = left.empty() ? right : right.empty() ? left : left + "  " + right;
  if (!verbose_) return;
  std::string line = right.empty() ? left : left + "  " + right;
  if (line.empty() || line == lastStatus_) return;
  lastStatus_ = line;
  EndProgressLine();
  Write(line + "\n");
}

void ConsoleUi::PaintProgress(unsigned percent) {
  if (!errTerminal_) return;
  std::string bar(percent / 5, '#');
  bar.resize(20, ' ');
  std::string line = "[" + bar + "] " + std::to_string(percent) + "%";
  if (!activity_.empty()) line += " " + activity_;
  // One line that fits the terminal, or the next paint cannot overwrite it
  // (the texts are in the Windows character set: a byte is a column).
  winsize size{};
  const std::size_t columns = ioctl(fileno(err_), TIOCGWINSZ, &size) == 0 && size.ws_col > 1 ? size.ws_col : 80;
  if (line.size() >= columns) line.resize(columns - 1);
  Write("\r" + line + "\033[K");
  std::fflush(err_);
  progressShown_ = true;
}

void ConsoleUi::EndProgressLine() {
  if (!progressShown_) return;
  std::fputs("\r\033[K", err_);
  progressShown_ = false;
}

bool ConsoleUi::TakeEscapeKey() {
  escapeTaken_ = LineInput::TakeInterrupt();
  return escapeTaken_;
}

void ConsoleUi::Beep() {
  if (errTerminal_) std::fputc('\a', err_);
}

void ConsoleUi::ShowListing(const std::vector<std::string>& lines) {
  EndProgressLine();
  for (const std::string& line : lines) std::fputs((AnsiToUtf8(line) + "\n").c_str(), stdout);
  std::fflush(stdout);
}

void ConsoleUi::ShowHelp(const std::string&) {
  std::fputs(KeywordListText().c_str(), stdout);
  std::fflush(stdout);
}

void ConsoleUi::ShowVolumeInfo(const VolumeInfo& info) {
  EndProgressLine();
  for (const std::string& line : VolumeInfoLines(info)) std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

void ConsoleUi::Present(const Prompt& prompt, bool again) {
  EndProgressLine();
  // Without a terminal a question is still shown once (its answer comes
  // from the input), but a dialog is drawn only with --verbose or when it
  // destroys data.
  if (again && !inTerminal_) return;
  const bool box = prompt.dialog == "box";
  if (!box && !inTerminal_ && !verbose_ && prompt.stakes == Stakes::kHarmless) return;
  std::string text = box ? "Tarvo: " + prompt.text : prompt.text;
  if (!prompt.choices.empty()) text += " " + prompt.choices;
  Write(text + (inTerminal_ ? " " : "\n"));
  std::fflush(err_);
}

std::optional<std::string> ConsoleUi::ReadAnswer() {
  const InputLine line = input_.Read(false);
  if (line.kind != InputLine::kLine) return std::nullopt;
  return Utf8ToAnsi(line.text);
}

InputLine ConsoleUi::ReadCommandLine(const std::string& prompt) {
  EndProgressLine();
  InputLine line = ReadTypedLine(prompt);
  if (line.kind == InputLine::kLine) line.text = Utf8ToAnsi(line.text);
  else if (line.kind == InputLine::kInterrupted && inTerminal_) Write("\n");  // the shell's prompt starts afresh
  return line;
}

InputLine ConsoleUi::ReadTypedLine(const std::string& prompt) {
#ifdef TARVO_LINE_EDITING
  if (editor_) return editor_->Read(prompt);
#endif
  if (inTerminal_) {
    Write(prompt);
    std::fflush(err_);
  }
  return input_.Read(true);
}

void ConsoleUi::EndCommand() {
  inCommand_ = false;
  LineInput::TakeInterrupt();
  escapeTaken_ = false;
}

void ConsoleUi::Report(const std::string& text) {
  EndProgressLine();
  Write(text + "\n");
}

}  // namespace tarvo
