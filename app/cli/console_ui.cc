#include "console_ui.h"

#include <unistd.h>

#include <atomic>
#include <csignal>

#include "base/utf8.h"
#include "command/keywords.h"
#include "ui/name_dialog.h"
#include "ui/text_answers.h"
#include "ui/volume_info.h"

namespace tarvo {

namespace {

// Set by Ctrl-C; read by the abort poll. A signal handler can reach nothing
// but a flag of its own.
std::atomic<bool> gInterrupted{false};

void OnInterrupt(int) { gInterrupted = true; }

}  // namespace

ConsoleUi::ConsoleUi(std::FILE* in, std::FILE* err, bool yes, bool verbose)
    : in_(in), err_(err), yes_(yes), verbose_(verbose),
      inTerminal_(isatty(fileno(in)) != 0), errTerminal_(isatty(fileno(err)) != 0) {
  std::signal(SIGINT, OnInterrupt);
}

ConsoleUi::~ConsoleUi() { std::signal(SIGINT, SIG_DFL); }

void ConsoleUi::Write(const std::string& ansiText) {
  std::string text = AnsiToUtf8(ansiText);
  std::fwrite(text.data(), 1, text.size(), err_);
}

int ConsoleUi::MessageDialog(const std::string& text, const std::string&) {
  EndProgressLine();
  Write("Tarvo: " + text + "\n");
  // Nobody closes a console message: it counts as closed by its timer, so
  // an open log records it.
  return -1;
}

Answer ConsoleUi::ShowMessageBox(const std::string& text, const std::string& caption, Buttons buttons,
                                 Stakes stakes) {
  if (yes_ && buttons != Buttons::kOk) {
    const Answer answer = DefaultBoxAnswer(buttons, Stakes::kHarmless);  // OK or Yes
    EndProgressLine();
    Write("Tarvo: " + text + " " + BoxChoices(buttons, stakes) + " " + std::string(AnswerWord(answer)) +
          " (--yes)\n");
    return answer;
  }
  return TextUi::ShowMessageBox(text, caption, buttons, stakes);
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
  std::fprintf(err_, "\r[%s] %02u%%", bar.c_str(), percent);
  std::fflush(err_);
  progressShown_ = true;
}

void ConsoleUi::EndProgressLine() {
  if (!progressShown_) return;
  std::fputs("\r\033[K", err_);
  progressShown_ = false;
}

bool ConsoleUi::TakeEscapeKey() { return gInterrupted.exchange(false); }

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
  std::string line;
  for (int c = std::fgetc(in_); c != '\n'; c = std::fgetc(in_)) {
    if (c == EOF) {
      if (line.empty()) return std::nullopt;
      break;
    }
    line.push_back(static_cast<char>(c));
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return Utf8ToAnsi(line);
}

std::optional<std::string> ConsoleUi::ReadCommandLine(const std::string& prompt) {
  if (inTerminal_) {
    Write(prompt);
    std::fflush(err_);
  }
  return ReadAnswer();
}

}  // namespace tarvo
