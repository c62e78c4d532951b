// The start-up options that both front ends share.
//
//   --image PATH[,ro][,1024]  attach an image file or a block device as the
//                             next cartridge drive
//                             (repeatable; ro = write-protected, 1024 = a
//                             medium with 1024-byte sectors)
//   --create SIZE PATH        create a blank 44/88/105/200/270 MB cartridge
//                             image and attach it (an existing file is refused)
//   --demo                    attach the built-in demo cartridge (made in the
//                             user's cache folder on first use; see
//                             demo_cartridge.h) as the first drive
//   --scsi                    add the machine's real SCSI host adapters
//   /A<h><t>  /L<name>  /R    drive, log file and reset mode; '-' may stand
//                             for '/', and the letter may be in either case
//   --yes                     (console) answer every OK/Cancel, Yes/No and
//                             Yes/No/Cancel question OK or Yes, and FORMAT's
//                             "Formatting" dialog OK with the name it shows,
//                             without reading standard input. Without it a
//                             question that destroys data (a format, a folder
//                             deleted with its contents, several items deleted,
//                             a file replaced) goes ahead only on a typed
//                             answer: an empty line or the end of input is
//                             Cancel / No
//   --verbose                 show status texts and dialogs (console)
//   --mode NAME               the copy mode of the run: data, resource,
//                             macbinary, binhex, text, applesingle or
//                             appledouble (the Options menu's
//                             choice, which a typed command's option still
//                             overrides for that command)
//   --existing ACTION         what a copy to the PC does with a file of the
//                             name it would take: replace, skip or keep
//                             (both, the copy numbered), without asking.
//                             Without it the user is asked; with --yes or
//                             at the end of input the answer is keep
//   --version                 print the program's version (console)
//   --check                   check the volume's consistency, print the
//                             findings and end (console; exit 1 on findings)
// A word that is no option (any word not beginning with '-', unless it is
// /A, /L or /R naming no existing file) is a file to open: it is attached as an image after the --image ones, and the first
// such is the drive opened unless /A names one.
// Actions, run in order after start-up (console):
//   -c LINE          a typed command
//   --menu N         menu command N
//   --select PATTERN select the rows whose names match PATTERN
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/user_interface.h"

namespace tarvo {

struct StartupAction {
  enum Kind { kCommand, kMenu, kSelect } kind;
  std::string text;  // the command line, the menu number or the pattern
};

struct StartupOptions {
  std::vector<std::string> images;  // PATH[,ro][,1024] as given
  std::vector<std::string> files;   // the plain words, as given
  struct Create {
    int megabytes = 0;
    std::string path;
  };
  std::vector<Create> creates;
  bool demo = false;
  bool scsi = false;
  bool yes = false;
  bool verbose = false;
  bool help = false;
  bool version = false;  // --version
  bool check = false;
  std::optional<std::uint16_t> copyMode;  // --mode: one of the copy-mode bits
  std::optional<ExistingFileAction> existingFiles;  // --existing
  // /A: the adapter and target digits, each only when given.
  bool adapterOption = false;
  std::optional<int> hostAdapter;
  std::optional<int> target;
  std::optional<std::string> logName;  // /L: "" means the default name
  bool reset = false;                  // /R
  std::vector<StartupAction> actions;
};

// Parses the arguments (without the program name). On a bad option returns
// nullopt and a message in `error`. Unknown one-letter options are ignored,
// as the program always did.
std::optional<StartupOptions> ParseStartupOptions(const std::vector<std::string>& args, std::string& error);

// The usage text of the front ends.
std::string UsageText(const std::string& program);

}  // namespace tarvo
