// The dialogs that ask for one name: DLG_NOMD (a title given by the caller,
// "Old name" shown as text, "New name" in an edit field: the PC name of a
// file copied in renaming-on-the-fly mode), DLG_NOUV ("New Directory",
// "Directory Name:": a PC directory to create) and DLG_FORM ("Formatting",
// a notice above the "Name:" field: the new volume's name). A front end draws the
// texts and calls the action methods until `closed()`.
//
// OK returns the edit field's text cut to `maxLength` characters; Cancel,
// Esc or the close box return nothing. Texts are in the Windows character
// set.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/user_interface.h"

namespace tarvo {

struct Engine;

class NameDialog {
 public:
  NameDialog(std::string name, std::string title, std::string oldName, std::string text, std::size_t maxLength)
      : name_(std::move(name)), title_(std::move(title)), oldName_(std::move(oldName)), text_(std::move(text)),
        maxLength_(maxLength) {}

  void SetText(std::string text) { text_ = std::move(text); }
  // A static text shown above the edit field; empty for none.
  void SetNotice(std::string notice) { notice_ = std::move(notice); }
  // Whether OK erases data (the format's dialog).
  void SetStakes(Stakes stakes) { stakes_ = stakes; }
  void Ok();
  void Cancel();
  // A typed answer (console and scripted double): the answer is the new name;
  // an empty answer confirms the name shown, or cancels when the dialog
  // destroys data (DLG_FORM: only a typed name formats); "cancel" cancels. A
  // name in double quotes is taken literally without them, so a file can still
  // be called cancel.
  void ApplyAnswer(std::string_view answer);

  bool closed() const { return closed_; }
  // The accepted name; nullopt when cancelled.
  const std::optional<std::string>& result() const { return result_; }
  const std::string& name() const { return name_; }  // the template: "DLG_NOMD", "DLG_NOUV"
  const std::string& title() const { return title_; }
  const std::string& oldName() const { return oldName_; }  // empty: no "Old name" line
  const std::string& text() const { return text_; }
  const std::string& notice() const { return notice_; }
  Stakes stakes() const { return stakes_; }

 private:
  std::string name_, title_, oldName_, text_, notice_;
  std::size_t maxLength_;
  Stakes stakes_ = Stakes::kHarmless;
  bool closed_ = false;
  std::optional<std::string> result_;
};

// DLG_NOMD titled "File name on the DOS volume", proposing the name (the
// question of a copy to the PC that renames on the fly); nullopt on Cancel.
std::optional<std::string> AskPcFileName(Engine& ctx, const std::string& proposal);

}  // namespace tarvo
