// DLG_COMM, "Command line": the model behind the dialog in which the user
// types one command (menu 129, Alt+C). A front end shows `line()` in the
// edit field (150) and calls the actions until `closed()`.
//
// "Execute" (153, the default button, also Enter) closes the dialog with 1
// and keeps the line, cut to the field's 79 characters; "Cancel" (100), Esc
// and the close box close it with 0. The command itself runs after the
// dialog has closed (RunCommandLineDialog), so the dialogs a command opens
// and the menu commands it stands for never stack over the command field.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvo {

struct Context;

// The command field's length: a typed line holds no more characters.
inline constexpr std::size_t kCommandLineLimit = 79;

class CommandDialog {
 public:
  void SetLine(std::string_view text);  // what the user typed
  void Execute() { Finish(1); }
  void Cancel() { Finish(0); }
  // A typed answer (console and scripted double): "cancel" cancels; any other
  // answer, the empty one included, is the line, executed.
  void ApplyAnswer(std::string_view text);

  const std::string& line() const { return line_; }
  bool closed() const { return closed_; }
  int result() const { return result_; }

 private:
  void Finish(int result);

  std::string line_;
  bool closed_ = false;
  int result_ = 0;
};

// Menu 129: runs DLG_COMM through the user interface; an executed line runs
// through the front end's command interpreter (`Context::runCommandLine`).
// Returns the dialog's result.
int RunCommandLineDialog(Context& ctx);

}  // namespace tarvo
