// The "Mac Drive" menu's commands on the drive and its medium:
//
//   102 "&Format Macintosh volume": the "Formatting" dialog (DLG_FORM: the
//       notice "Caution !!!" / "All data will be destroyed.", the name, at
//       most 26 characters, offered as "Untitled" or the name of the last
//       format of the run; the dialog destroys data: Stakes::kDestroys);
//       the drive question; the capacity (the drive's,
//       or the one chosen in "Data medium to format"); "Volume initializing
//       running..." while the medium is formatted; then the new volume is
//       opened and its root listed.
//   135 "Verify volume": DLG_DEV chooses the drive to verify; the drive
//       selected before (adapter, target, and also sector size, sector
//       count and entry point) is put back afterwards, so the mounted
//       volume stays usable.
//   136 "Lock volume" / "Unlock volume": locks or unlocks the cartridge in
//       the drive and switches the item's text.
//   137 "Reset drive": switches the reset before every transfer.
//   139 "Brute force search": the drive question, then the search for a
//       volume header in the first sectors; found: the catalog is copied
//       and the root listed; else "Unable to find a Macintosh volume header
//       (MDB).".
//
// The drive question (102, 139): with a drive selected, "Drive to be used"
// (DLG_SAME) asks whether to use it; "Rescan the bus" opens DLG_DEV first,
// "Cancel" ends the command. Without a drive DLG_DEV opens first. A command
// goes on only with a drive chosen and confirmed. A format of a drive
// just chosen for it (a new image) asks no drive question.
#pragma once

namespace tarvo {

struct Context;

enum class FormatDrive { kAsk, kSelected };

void FormatCommand(Context& ctx, FormatDrive drive = FormatDrive::kAsk);
void VerifyCommand(Context& ctx);
void LockCommand(Context& ctx);
void BruteForceCommand(Context& ctx);

// The drive question; true when a drive is chosen to go on with.
bool ChooseDriveToUse(Context& ctx);

}  // namespace tarvo
