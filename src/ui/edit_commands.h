// The volume edits reached from the menus and the typed commands: rename
// the volume, make a folder, delete and rename items of the current folder.
// Each needs a mounted volume ("Select drive in the 'Mac Drive' menu"
// otherwise), loads the bitmap before it changes anything, writes the
// volume back when it is done (a failing write is reported) and relists
// the folder. The write guard has run before (write_guard.h).
//
// Names typed by the user are in the Windows character set; the rows of
// the listing and the catalog hold Macintosh names. A selected row is
// deleted or renamed by its own name, so a name holding '*' is never taken
// for a pattern there.
#pragma once

#include <string_view>

#include "hfs/delete_entries.h"
#include "hfs/rename_entries.h"

namespace tarvo {

struct Context;
struct Engine;

// Menu 103, LABEL alone: DLG_REN titled "Rename Macintosh volume" showing
// the volume's name; OK renames the volume (the rename writes it back).
void RenameVolumeCommand(Context& ctx);
// LABEL name: the volume takes the name (at most 27 characters), after
// the short mount when no volume is open yet (short_mount.h). Once the
// catalog took it, it is logged "*label NAME\r\n", the main window's title
// follows and the volume is flushed (a failing flush is reported).
void LabelVolume(Context& ctx, std::string_view typedName);

// Menu 111: DLG_NOUV "New Directory" proposing "New folder"; OK makes the
// folder (the name cut to 31 characters).
void MakeFolderCommand(Context& ctx);
// MD: the folder `typedName` in the current folder ("New folder" when
// empty); an existing name is refused with "A directory exists already with
// this name.".
void MakeFolder(Context& ctx, std::string_view typedName);

// Menu 112: the selected rows, one by one; with more than one selected
// "Deleting several files/directories?" (OK / Cancel) is asked first. A
// folder that is not empty asks "The directory is not empty." (Cancel
// keeps that folder and goes on with the next row). A deletion the catalog
// refuses ends the loop.
void DeleteSelectionCommand(Context& ctx);
// DELETE / ERASE pattern: every matching item of the current folder
// (trailing blanks of the pattern dropped); alone, the folder is written
// back and relisted (kDone). kFailed when there is no volume or its bitmap
// cannot be read (the message is shown).
DeleteStatus DeleteMatching(Context& ctx, std::string_view typedPattern);

// Menu 113: DLG_REN titled "Rename file or folder" for each selected row,
// showing its name; Cancel ends the loop (the rows not reached stay
// selected). After at least one rename the selection is cleared and the
// volume written back. Returns the number of renames.
int RenameSelectionCommand(Context& ctx);
// RENAME old new: RenameEntries with both names, wildcards allowed;
// kFailed when there is no volume or its bitmap cannot be read (the
// message is shown).
RenameStatus RenameMatching(Context& ctx, std::string_view typedPattern, std::string_view typedNewName);
// A rename's questions put to the user: "Renaming with a wildcard on one
// side only?" (OK / Cancel), and a message for each name already taken.
RenameQuestions AskRenameQuestions(Engine& ctx);

}  // namespace tarvo
