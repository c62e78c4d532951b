// DLG_MCOP, "Copy PC -> Mac": the model of the dialog that chooses PC files
// and starts their copy into the current folder of the volume
// (copy_to_mac.h), and "Copy from PC to Mac" (menu 107, MCOPY alone) around
// it. What the user sees and the buttons do is told in the user help.
//
// The navigation is PcDirectoryBrowser's: it changes the PC current
// directory at once. Sizes come from the directory, never from opening a
// file, so an unreadable file lists and is reported only when copied.
// The dialog closes with 1 after any copy button, whether or not it had
// something to copy, and with 0 on Cancel/Exit, Esc or the close box.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/pc_directory_browser.h"

namespace tarvo {

struct Context;

class MacCopyDialog {
 public:
  struct FileRow {
    std::string name;  // shown, Windows character set
    std::uint64_t size = 0;
    bool selected = false;
  };

  MacCopyDialog(Context& ctx, PcDirectories& pc);

  // The OK key in the mask field: takes the mask (at most 79 characters, in
  // capitals) and refills the lists when it changed; the dialog stays open.
  void EnterMask(std::string_view typed);
  void SelectFile(std::size_t index, bool selected);
  void Root();
  void Parent();
  void OpenDirectory(std::size_t index);
  void OpenDrive(std::size_t index);
  void CopySelection();                                   // "Selection"
  void CopyAllFiles();                                    // "All Files"
  void CopyDirectory(std::optional<std::size_t> index);   // "Directory", the directory list's choice
  void Cancel();
  // A typed answer (console and scripted double): "mask M" enters M; "select
  // NAME..." selects exactly the listed names given (blanks in double quotes)
  // and presses "Selection" ("select" alone presses it as it is); "all";
  // "dir NAME" ("[NAME]" too); the navigation answers "cd NAME" (a
  // directory, "..", "\", "/", "drive N"), "up", "drive N"; "cancel",
  // "exit". Anything else, the empty answer included, changes nothing.
  void ApplyAnswer(std::string_view text);

  bool closed() const { return closed_; }
  int result() const { return result_; }  // 1 a copy button, 0 cancelled
  const std::string& mask() const { return mask_; }
  const std::string& path() const { return browser_.path(); }
  const std::vector<FileRow>& files() const { return files_; }
  const std::vector<std::string>& directories() const { return browser_.directories(); }  // "[name]"
  const std::vector<std::string>& drives() const { return browser_.drives(); }
  std::uint64_t total() const;

 private:
  void RefillFiles();
  void Finish(int result);

  Context& ctx_;
  PcDirectoryBrowser browser_;
  std::string mask_ = "*.*";  // Windows character set
  std::vector<FileRow> files_;
  std::vector<std::string> hostFiles_;  // the same files, UTF-8
  bool closed_ = false;
  int result_ = 0;
};

// "Copy from PC to Mac": with no volume "Select drive in the 'Mac Drive'
// menu"; otherwise the type/creator file is loaded (once a run), DLG_MCOP
// runs on the process's current directory and, when it copied, the listing
// is reloaded. Returns the dialog's result.
int CopyPcToMacCommand(Context& ctx);

}  // namespace tarvo
