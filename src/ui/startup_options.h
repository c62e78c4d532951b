// The start-up options that both front ends share, parsed into one record;
// what each option does is told in UsageText and the man pages.
//
// A word that is no option (one not beginning with '-', unless it is /A, /L
// or /R naming no existing file) is a file to open, attached after the
// --image ones. The actions (-c, --menu, --select) are kept in the order
// given, to run after start-up.
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
