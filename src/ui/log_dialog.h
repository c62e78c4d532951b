// DLG_FLOG, "Log File Management": the model behind the dialog that opens and
// closes the log file. A front end shows `fieldText()` in the "File:" field
// (147) and the buttons "Create" (144), "Open" (145) and "Close" (146) as
// enabled below, and calls the actions until `closed()`.
//
// The dialog's OK key (id 1, Enter in the field) stores the field's text,
// cut to 11 characters, as the log name and keeps the dialog open. "Create"
// and "Open" first store the field the same way, so they always act on the
// name the user sees. A log that cannot be opened ends the program through
// FatalError with "Error opening file:" followed by the name. No stamp line
// is written from here. OK (101), Cancel (100) and the close box close the
// dialog with 0.
#pragma once

#include <string>
#include <string_view>

namespace tarvo {

struct Context;

inline constexpr std::size_t kLogDialogNameLimit = 11;

class LogDialog {
 public:
  explicit LogDialog(Context& ctx);  // the field shows the log name

  void SetFieldText(std::string_view text);  // what the user typed
  void StoreName();                          // the OK key (id 1)
  void Create();
  void Open();
  void CloseLogFile();
  void Finish();  // OK, Cancel or the close box
  void Ok() { Finish(); }
  void Cancel() { Finish(); }
  // A typed answer (console and scripted double): "name TEXT" types TEXT and
  // presses the OK key; "create [TEXT]" and "open [TEXT]" (optionally typing
  // TEXT first) and "close" press those buttons; "ok", "cancel" or an empty
  // answer end the dialog. Anything else is ignored.
  void ApplyAnswer(std::string_view text);

  const std::string& fieldText() const { return field_; }
  bool createEnabled() const;
  bool openEnabled() const { return createEnabled(); }
  bool closeEnabled() const { return !createEnabled(); }
  bool closed() const { return closed_; }
  int result() const { return 0; }

 private:
  void OpenStoredName(bool create);

  Context& ctx_;
  std::string field_;
  bool closed_ = false;
};

// Menu 131: runs DLG_FLOG through the user interface.
void RunLogFileDialog(Context& ctx);

}  // namespace tarvo
