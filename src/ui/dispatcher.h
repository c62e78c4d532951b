// The main window's commands: every menu item, accelerator, function button
// and popup item arrives here as its number (101..147); 146 and 147
// attach image files through a file dialog, which only the desktop program
// has (image_drive.h), and are ignored here.
//
// A command whose operation the program does not have is ignored, never
// faked. After a command the menu state is recomputed and the window asked
// to repaint.
//
// Commands that work on the current folder (108, 109, 110 and the typed
// navigation) need a mounted Macintosh volume: with no drive, or with a
// medium that turned out not to be a Macintosh volume, they do nothing, so
// the catalog of an earlier volume is never walked. 104 likewise shows
// nothing without a volume. "Next Screen" does nothing on the last page.
// After 101 finds no Macintosh volume the status line says so, as at
// start-up.
//
// The commands that write to the medium (102, 103, 107, 111, 112, 113)
// pass the write guard first (write_guard.h), and the medium they claim
// there is shared again when the command ends (ClaimSpan, write_claim.h);
// the edits themselves are edit_commands.h's and "Copy from PC to Mac" is
// mac_copy_dialog.h's; the drive and medium commands (102, 135, 136, 137,
// 139) are drive_commands.h's. 130 (the rescue) needs a drive, not a
// volume: with none selected the drive is chosen first. 140 passes the
// write guard too. 129 is the typed command line
// (command_dialog.h), 131 the log file dialog (log_dialog.h); the
// menu's check mark then follows the open log.
#pragma once

namespace tarvo {

struct Context;

void DispatchCommand(Context& ctx, int id);

// Recomputes `ctx.menu` from the current state; the page shown is computed
// first, as painting does, so that "Next Screen" follows it.
void ApplyMenuState(Context& ctx);

}  // namespace tarvo
