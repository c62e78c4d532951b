// The console user interface of tarvo-cli.
//
// Standard output carries only what commands print; everything else goes to
// standard error: messages as "Tarvo: <text>", questions as "Tarvo: <text>
// [ok/cancel] (empty: ok)", status texts with --verbose, a progress bar when
// standard error is a terminal. Questions prompt on a terminal, otherwise
// they take the next line of standard input; an empty line or the end of
// input means the default button. A question that destroys data ("The
// directory is not empty.", "Deleting several files/directories?", the
// replace question, FORMAT's "Formatting" dialog) is always shown, and its
// default is Cancel (No): it goes ahead only on a typed "ok" / "yes" (for
// "Formatting", a typed name) or with --yes. With --yes every OK/Cancel,
// Yes/No and Yes/No/Cancel question is answered OK or Yes, and "Formatting"
// OK with the name it shows, without reading the input; the question and
// the answer taken are shown. Ctrl-C stands for the Esc key: a long
// operation then asks whether to abort.
//
// The drive question is not asked when one drive is attached or standard
// input is no terminal: the first drive is taken, and the input is left
// to the typed commands. The progress line names what the operation is
// doing and is cleared before anything else is written. On a terminal the
// typed commands are read with line editing and the session's history,
// where the program was built with libedit (line_editor.h).
//
// The console keeps what the commands came to: every message the program
// shows while a command runs tells of a failure or a refusal, and so do a
// question answered Cancel and an operation aborted. Messages of the
// start-up (a volume that cannot be opened, an interrupted update taken
// back) only inform: the commands that need the volume fail on their own.
#pragma once

#include <cstdio>
#include <string>

#include "line_input.h"
#ifdef TARVO_LINE_EDITING
#include <optional>

#include "line_editor.h"
#endif
#include "ui/text_ui.h"

namespace tarvo {

enum class CommandsOutcome { kDone, kFailed };

class ConsoleUi : public TextUi {
 public:
  ConsoleUi(std::FILE* in, std::FILE* err, bool yes, bool verbose);
  ~ConsoleUi() override;

  int MessageDialog(const std::string& text, const std::string& caption) override;
  Answer ShowMessageBox(const std::string& text, const std::string& caption, Buttons buttons,
                        Stakes stakes) override;
  void RunNameDialog(NameDialog& dialog) override;
  // With --yes a PC file's name that is taken is kept and the copy numbered:
  // "yes" names neither Replace nor Skip, and keeping both loses nothing.
  ExistingFileAnswer AskExistingFile(const std::string& text) override;
  void RunDeviceDialog(DeviceDialog& dialog) override;
  void PaintStatusLine(const std::string& left, const std::string& right) override;
  void PaintProgress(unsigned percent) override;
  void ShowWaitFrame(int) override {}
  bool TakeEscapeKey() override;
  void Beep() override;
  void Repaint() override {}
  void ShowListing(const std::vector<std::string>& lines) override;
  void ShowHelp(const std::string& topic) override;
  // The volume's figures, one "Label: value" line each, on standard output.
  void ShowVolumeInfo(const VolumeInfo& info) override;

  // Reads one typed command, prompting on a terminal (with line editing
  // where the program has it); a Ctrl-C ends the wait.
  InputLine ReadCommandLine(const std::string& prompt);
  // A command begins: what is shown from now on counts for the outcome.
  void BeginCommand() { inCommand_ = true; }
  // A command has ended: a Ctrl-C that came during it is not kept for the
  // next one.
  void EndCommand();
  // A failure that no message told (a command's own result).
  void NoteFailure() { outcome_ = CommandsOutcome::kFailed; }
  CommandsOutcome outcome() const { return outcome_; }
  // A line on standard error after the progress line was cleared: a
  // command's result or what the run made.
  void Report(const std::string& text);

 protected:
  void Present(const Prompt& prompt, bool again) override;
  std::optional<std::string> ReadAnswer() override;

 private:
  void EndProgressLine();
  InputLine ReadTypedLine(const std::string& prompt);
  void Write(const std::string& ansiText);

  LineInput input_;
#ifdef TARVO_LINE_EDITING
  std::optional<LineEditor> editor_;  // when both input and errors are a terminal
#endif
  std::FILE* err_;
  bool yes_;
  bool verbose_;
  bool inTerminal_;
  bool errTerminal_;
  bool progressShown_ = false;
  std::string lastStatus_;
  std::string activity_;       // the status line's texts, for the progress line
  bool escapeTaken_ = false;   // the abort poll's question comes next
  bool inCommand_ = false;
  CommandsOutcome outcome_ = CommandsOutcome::kDone;
};

}  // namespace tarvo
