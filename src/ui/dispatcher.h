// The main window's commands: every menu item, accelerator, function button
// and popup item arrives here as its number (menu_model.h), and typed
// commands reach the same operations.
//
// The commands that write to the medium pass the write guard first
// (write_guard.h); the medium they claim is shared again when the command
// ends. Commands on the current folder do nothing without a mounted
// Macintosh volume, so the catalog of an earlier volume is never walked.
// A command whose operation the program does not have (the image file
// dialogs, which only the desktop program has) is ignored, never faked.
// Afterwards the menu state is recomputed and the window asked to repaint.
#pragma once

namespace tarvo {

struct Context;

void DispatchCommand(Context& ctx, int id);

// Recomputes `ctx.menu` from the current state; the page shown is computed
// first, as painting does, so that "Next Screen" follows it.
void ApplyMenuState(Context& ctx);

}  // namespace tarvo
