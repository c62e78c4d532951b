// The check every command that writes to the medium passes first.
//
//   1. A medium with 1024-byte sectors is refused: "Write functions are not
//      yet validated for media with 1024 bytes/sector.".
//   2. With a drive selected, a write-protected medium asks "Write-protected
//      media." with OK and Cancel: OK lets the command go on (and fail in the
//      device layer), Cancel refuses it.
// The write-protection probe of the drive is passed in as a callable that
// answers true when the medium is protected, so the guard does not depend on
// how the drive is asked.
#pragma once

#include <functional>

namespace tarvo {

struct Context;

// How the 1024-byte refusal is shown: a plain message box for menu commands,
// the self-closing message dialog for typed commands.
enum class RefusalNotice { kMessageBox, kMessageDialog };

// The menu commands guarded before they run: 102, 103, 107, 111, 112, 113.
bool IsGuardedCommand(int id);

// The selected drive's write-protection probe (WriteProtectProbe), as the
// guard takes it.
std::function<bool()> DriveWriteProtection(Context& ctx);

// The guard bound to the selected drive: the check every menu command and
// typed command that writes to the medium runs first. True: it may write.
bool MediumAcceptsWrites(Context& ctx, RefusalNotice notice);

// True: the command may proceed.
bool WriteGuard(Context& ctx, const std::function<bool()>& mediumWriteProtected, RefusalNotice notice);

}  // namespace tarvo
