// The "Mac Drive" menu's commands on the drive and its medium: format
// (102), verify (135), lock and unlock (136), the reset switch (137) and the
// brute-force search for a volume header (139). The user help tells what
// each shows and asks.
//
// Format and the search go on only with a drive chosen and confirmed by the
// drive question; each opens and lists the volume it made or found. Verify
// puts the drive selected before back afterwards, so the mounted volume
// stays usable.
#pragma once

namespace tarvo {

struct Context;

// kSelected: the drive was just chosen for it (a new image), so no drive
// question is asked.
enum class FormatDrive { kAsk, kSelected };

// The drive dialog; a confirmed choice opens the volume on the drive chosen.
void SelectDriveCommand(Context& ctx);
void FormatCommand(Context& ctx, FormatDrive drive = FormatDrive::kAsk);
void VerifyCommand(Context& ctx);
void LockCommand(Context& ctx);
void BruteForceCommand(Context& ctx);

// The drive question; true when a drive is chosen to go on with.
bool ChooseDriveToUse(Context& ctx);

}  // namespace tarvo
