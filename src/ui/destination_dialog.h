// DLG_DEST, "Target Directory": the model of the dialog that chooses the PC
// directory receiving copies from the Macintosh volume. Navigation changes
// the PC current directory at once, and Cancel does not undo it.
//
// The directory and drive navigation, with its typed answers, is
// PcDirectoryBrowser's (pc_directory_browser.h). "Create new" asks for the
// name in DLG_NOUV ("DIR" proposed, at most 39 characters); a name made
// only of dots or holding '/' is made safe as copied names are; a
// directory that cannot be created is reported and nothing changes. Texts
// are in the Windows character set.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ui/pc_directory_browser.h"

namespace tarvo {

struct Context;

class DestinationDialog {
 public:
  // command: 106 (from the copy) or 124 (from the menu).
  DestinationDialog(Context& ctx, PcDirectories& pc, int command);

  void Root();    // " [:\]"
  void Parent();  // " [..]"
  // A double click in the directory list ("[..]" goes to the parent).
  void OpenDirectory(std::size_t index);
  void OpenDrive(std::size_t index);
  void CreateNew();
  void Confirm();
  void Cancel();
  // A typed answer (console and scripted double): the navigation answers;
  // "new" runs "Create new" (the next answer is the new directory's name);
  // "ok" or an empty answer confirms; "cancel" cancels.
  void ApplyAnswer(std::string_view text);

  bool closed() const { return closed_; }
  int result() const { return result_; }  // 1 confirmed, 0 cancelled
  const std::string& confirmCaption() const { return confirmCaption_; }
  const std::string& path() const { return browser_.path(); }
  const std::vector<std::string>& directories() const { return browser_.directories(); }  // "[name]"
  const std::vector<std::string>& drives() const { return browser_.drives(); }

 private:
  void Finish(int result);

  Context& ctx_;
  PcDirectoryBrowser browser_;
  std::string confirmCaption_;
  bool closed_ = false;
  int result_ = 0;
};

// Runs DLG_DEST on the process's current directory; returns its result.
int ChooseTargetDirectory(Context& ctx, int command);

}  // namespace tarvo
