// The main window's commands: every menu item, accelerator, function button
// and popup item arrives here as its number (101..142).
//
// A command whose operation the program does not have is ignored, never
// faked. After a command the menu state is recomputed and the window asked
// to repaint.
#pragma once

namespace tarvo {

struct Context;

void DispatchCommand(Context& ctx, int id);

}  // namespace tarvo
