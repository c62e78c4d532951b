// Runs a typed command (the command line, -c) through the same operations
// the menus reach; what each command does is told in the user help.
//
// A command that writes to the medium passes the write guard once, before
// anything is written, and the medium it claims is shared again when the
// command ends. A command that stands for a menu command runs it at once
// rather than queueing it. Failures are told through the user-interface
// port; a name or pattern that matches nothing says "No such file or
// folder: NAME". Afterwards the menu state is recomputed and the window
// repainted.
#pragma once

#include <string>
#include <string_view>

#include "command/parser.h"

namespace tarvo {

struct Context;

// What a command came to, beyond the messages it showed.
struct CommandReport {
  bool failed = false;  // a failure that no message told (VERIFY's bad blocks)
  std::string verdict;  // a one-line result to show (VERIFY's), or empty
};

// A command with no operation in this program does nothing.
CommandReport RunCommand(Context& ctx, const ParsedCommand& command);

// One typed line (Windows character set), as the command dialog's Execute
// runs it: parsed with the run's mode flags, run when a keyword matched,
// then the status line cleared. An empty line does nothing; a line whose
// word is no keyword shows "Unknown command: WORD".
CommandReport ExecuteCommandLine(Context& ctx, std::string_view line);

}  // namespace tarvo
