// Running a parsed typed command: the same operations the menus reach.
// Commands that stand for a menu command run it through the dispatcher.
#pragma once

#include "command/parser.h"

namespace tarvo {

struct Context;

void RunCommand(Context& ctx, const ParsedCommand& command);

}  // namespace tarvo
