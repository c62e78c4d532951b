// Taking back an update that a stopped program left half-written.
//
// Before a medium is read (OpenVolume, the short mount) and before it is
// formatted, its journal (update_journal.h) is looked for. A torn journal
// is ignored: the update it began never touched the medium. Otherwise
// every sector the journal lists is read and compared with its original
// and with the contents the update was to write into it:
//   - every sector holds its final content: the update was complete and
//     only its journal was left behind; the journal is removed;
//   - every sector holds its original or a content of the update (or
//     cannot be read): the update is taken back. The originals are written
//     where they are not, the medium is synchronised, the journal removed,
//     and the user told "An interrupted update of this volume was taken
//     back.". When they cannot all be written, or another program uses
//     the medium, the journal stays for the next opening, and the user is
//     told "An interrupted update of this volume could not be taken back;
//     the volume may need checking.";
//   - a sector holds something else: the journal belongs to another
//     medium that bears the same name (another cartridge in the same
//     drive, an image put back from a copy), and it is left alone.
// The writes are made under the medium's claim (write_claim.h), in a
// claim span of their own. Each outcome but the first
// is a line of the log when a log is open: "*journal PATH: WHAT".
#pragma once

namespace tarvo {

struct Engine;

enum class InterruptedUpdate { kNone, kTorn, kCompleted, kTakenBack, kNotTakenBack, kOtherMedium };

// For the selected drive; kNone without one.
InterruptedUpdate TakeBackInterruptedUpdate(Engine& ctx);

}  // namespace tarvo
