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
#pragma once

#include <cstdio>
#include <string>

#include "ui/text_ui.h"

namespace tarvo {

class ConsoleUi : public TextUi {
 public:
  ConsoleUi(std::FILE* in, std::FILE* err, bool yes, bool verbose);
  ~ConsoleUi() override;

  int MessageDialog(const std::string& text, const std::string& caption) override;
  Answer ShowMessageBox(const std::string& text, const std::string& caption, Buttons buttons,
                        Stakes stakes) override;
  void RunNameDialog(NameDialog& dialog) override;
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

  // Reads one line of standard input (a typed command), prompting on a
  // terminal; nullopt at the end of input.
  std::optional<std::string> ReadCommandLine(const std::string& prompt);
  bool interactive() const { return inTerminal_; }

 protected:
  void Present(const Prompt& prompt, bool again) override;
  std::optional<std::string> ReadAnswer() override;

 private:
  void EndProgressLine();
  void Write(const std::string& ansiText);

  std::FILE* in_;
  std::FILE* err_;
  bool yes_;
  bool verbose_;
  bool inTerminal_;
  bool errTerminal_;
  bool progressShown_ = false;
  std::string lastStatus_;
};

}  // namespace tarvo
