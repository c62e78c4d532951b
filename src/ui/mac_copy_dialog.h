// DLG_MCOP, "Copy PC -> Mac": the model of the dialog that chooses PC files
// and starts their copy into the current folder of the Macintosh volume,
// and "Copy from PC to Mac" (menu 107, MCOP alone) around it.
//
// The dialog shows the mask ("Filename:", "*.*" at first), the path, the
// files of the PC current directory that match the mask (multiple
// selection), the directories, the drives and "Total": the bytes of the
// selected files, or of all listed files when none is selected. The
// directory and drive navigation is PcDirectoryBrowser's
// (pc_directory_browser.h); it changes the PC current directory at once,
// refills the lists and clears the selection. The OK key in the mask field
// takes the typed mask (at most 79 characters, in capitals; matching does
// not count letter case) and refills the lists when it changed; the dialog
// stays open.
//
// The three copy buttons close the dialog with 1, whether or not they had
// something to copy:
//   "Selection"  the selected files in list order (an Esc confirmed between
//                files stops after the current one; each file copied is
//                deselected, a failing one ends the copy);
//   "All Files"  the files and directories matching the mask, when the
//                file list is not empty;
//   "Directory"  the chosen directory with its contents, unless its name
//                begins with '.' ([..] included).
// Each loads the volume bitmap before and writes the volume back after
// (copy_to_mac.h). "Cancel/Exit", Esc and the close box give 0.
//
// A file's size is taken from the directory, never by opening the file: a
// file that cannot be read lists with its size and is reported when it is
// copied, rather than ending the program.
//
// Typed answers (console and scripted double):
//   mask M         the mask field's OK key with M
//   select NAME... selects exactly the named files and presses "Selection"
//                  (names with blanks in double quotes; an answer naming a
//                  file that is not listed is ignored); "select" alone
//                  presses it with the selection as it is
//   all            "All Files"
//   dir NAME       "Directory" with the listed directory NAME ("[NAME]" too)
//   cd NAME        the navigation answers (NAME a directory, "..", "\",
//                  "/", "drive N"); "up" is "cd .."; "drive N" alone too
//   cancel, exit   "Cancel/Exit"
// Anything else, an empty answer included, changes nothing.
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

  void EnterMask(std::string_view typed);  // the OK key in the mask field
  void SelectFile(std::size_t index, bool selected);
  void Root();
  void Parent();
  void OpenDirectory(std::size_t index);
  void OpenDrive(std::size_t index);
  void CopySelection();                                   // "Selection"
  void CopyAllFiles();                                    // "All Files"
  void CopyDirectory(std::optional<std::size_t> index);   // "Directory", the directory list's choice
  void Cancel();
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
