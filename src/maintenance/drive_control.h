// The drive's own modes: the cartridge locked in the drive (medium removal
// prevented) and the bus-device reset before every transfer attempt.
//
// LockMedium and UnlockMedium send PREVENT/ALLOW MEDIUM REMOVAL to the
// selected drive and do not look at its status; without a selected drive
// they send nothing. They leave `mediumLocked` (the menu item's state) to
// the menu command.
#pragma once

namespace tarvo {

struct Engine;

void LockMedium(Engine& ctx);
void UnlockMedium(Engine& ctx);
// Switches `resetBeforeTransfer` over; the menu's check mark follows when
// the menu state is next computed.
void ToggleResetMode(Engine& ctx);

}  // namespace tarvo
