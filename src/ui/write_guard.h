// The check every command that writes to the medium passes first, before
// anything is written (the probe's rewrite of sector 0 included). It
// refuses a medium with 1024-byte sectors; claims the selected drive's
// medium for this program's writes until the command's ClaimSpan ends
// (write_claim.h), refusing while another program uses it; asks OK/Cancel
// on a write-protected medium (OK goes on and lets the device layer fail);
// and refuses a command whose structures the volume check found damaged.
// That check runs quietly once a mount, before its first guarded write;
// which findings harm which structures is check_problems.h's. Format is
// never refused for damage. Each refusal is shown to the user.
//
// A catalog change may grow the catalog file, which takes bitmap blocks
// and, once the header's three extents are used, an extents record: the
// guard adds those structures to every catalog change.
#pragma once

#include <functional>

#include "maintenance/check_problems.h"

namespace tarvo {

struct Context;

// How a refusal is shown: a plain message box for menu commands, the
// self-closing message dialog for typed commands.
enum class RefusalNotice { kMessageBox, kMessageDialog };

// What the write commands change (Structure bits).
inline constexpr unsigned kChangesNothingChecked = 0;  // format: replaces everything
inline constexpr unsigned kChangesCatalogRecords = kCatalogTree;
inline constexpr unsigned kChangesNewFolder = kCatalogTree | kVolumeHeader;
inline constexpr unsigned kChangesVolumeName = kCatalogTree | kVolumeHeader;
inline constexpr unsigned kChangesFiles = kAllStructures;  // copies onto the volume, deletions

// The menu commands guarded before they run: 102, 103, 107, 111, 112, 113.
bool IsGuardedCommand(int id);
// What a guarded menu command changes.
unsigned GuardedCommandChanges(int id);

// The selected drive's write-protection probe (WriteProtectProbe), as the
// guard takes it.
std::function<bool()> DriveWriteProtection(Context& ctx);

// The guard bound to the selected drive: the check every menu command and
// typed command that writes to the medium runs first. True: it may write.
bool MediumAcceptsWrites(Context& ctx, unsigned changes, RefusalNotice notice);

// True: the command, which changes the structures `changes`, may proceed.
bool WriteGuard(Context& ctx, const std::function<bool()>& mediumWriteProtected, unsigned changes,
                RefusalNotice notice);

}  // namespace tarvo
