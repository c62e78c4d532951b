// Running a parsed typed command: the same operations the menus reach.
//
// Commands that stand for a menu command (CD alone: 108, HELP and ?: 132,
// LOG: 101, INFO: 104, FORMAT: 102) run it through the dispatcher right away, as the
// last step of the command, instead of queueing it to the main window.
//
//   CD name  enters the folder (trailing blanks dropped, Windows characters
//            turned into Macintosh ones); CD .. the parent; CD \ the root;
//            each relists the folder. Without a mounted volume CD .. and
//            CD \ do nothing, CD name says "Select drive in the 'Mac
//            Drive' menu".
//   DIR      relists the folder, only the names matching the first argument
//            when one is given, in the listing mode the options left, and
//            shows the listing; without a mounted volume it says "Select
//            drive in the 'Mac Drive' menu".
//   COPY pattern  copies the matching items of the current folder to the
//            PC current directory or the output port (trailing blanks
//            dropped, Windows characters turned into Macintosh ones);
//            COPY alone runs the menu's copy mode item and "Copy from Mac
//            to PC" on the selected rows.
//   RENAME old new  renames the matching items (wildcards as RenameEntries
//            takes them); RENAME alone, or with one name, asks the new name
//            of each selected row ("No selected file or folder. ..." when
//            none is selected).
//   LABEL name  renames the volume; LABEL alone is menu 103.
//   DELETE pattern, ERASE pattern  deletes the matching items; alone they
//            write the volume back and relist.
//   MCOPY pattern  copies the PC files and directories of the PC current
//            directory that match the pattern (the DOS way) into the
//            current folder, as "All Files" does for a mask; MCOPY alone is
//            "Copy from PC to Mac".
//   MD name  makes a folder ("New folder" without a name).
//   Codes 12 to 17 (RENAME, LABEL, DELETE, ERASE, MCOPY, MD, ATTRIB) first
//            pass the write guard (write_guard.h), with the 1024-byte
//            refusal in the self-closing message box; the menu commands
//            they stand for are run directly, so the guard asks once. The
//            medium the guard claims is shared again when the command
//            ends (ClaimSpan, write_claim.h).
//   OPTIONS  the "Advanced copy options" dialog.
//   ATTRIB   the write checks, then menu 115 (the attributes of the first
//            selected row).
//   SWAP name  swaps the data and resource forks of the named file (trailing
//            blanks dropped, Windows characters turned into Macintosh
//            ones); "Unable to swap data and resource forks." when it
//            cannot. SWAP alone does nothing.
//   QUIT     asks to close, as the main window's close box does.
//   MODE R, R+ / R-  switches the reset before every transfer on / off.
//   LOCK, UNLOCK     prevent / allow medium removal on the selected drive;
//                    the menu's "Lock volume" item keeps its state.
//   VERIFY   verifies the selected drive's medium, without a dialog, and
//            gives its verdict.
//   FORMAT   opens the volume on the selected drive anew (a drive without
//            one is dropped), then runs the menu's format.
//   TYPE, CLS, NEXT, REP do nothing.
// Commands whose operation the program does not have yet are ignored.
// Afterwards the menu state is recomputed and the window repainted.
// CD, COPY, DELETE, ERASE, RENAME, MCOPY and DIR with a name or pattern
// that matches nothing say so ("No such file or folder: NAME").
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

CommandReport RunCommand(Context& ctx, const ParsedCommand& command);

// One typed line (Windows character set), as the command dialog's Execute
// runs it: parsed with the run's mode flags, run when a keyword matched,
// then the status line cleared. An empty line does nothing; a line whose
// word is no keyword shows "Unknown command: WORD".
CommandReport ExecuteCommandLine(Context& ctx, std::string_view line);

}  // namespace tarvo
