// The check every command that writes to the medium passes first.
//
//   1. A medium with 1024-byte sectors is refused: "Write functions are not
//      yet validated for media with 1024 bytes/sector.".
//   2. With a drive selected, its medium is claimed for this program's
//      writes (write_claim.h): while another program uses it, the command
//      is refused with "The volume is in use by another program." (or the
//      drive's own reason, such as a device the system has mounted) before
//      anything is written, the probe's rewrite of sector 0 included. The
//      claim lasts until the command's span ends (ClaimSpan).
//   3. With a drive selected, a write-protected medium asks "Write-protected
//      media." with OK and Cancel: OK lets the command go on (and fail in the
//      device layer), Cancel refuses it.
//   4. On a mounted volume, a command is refused when the volume check
//      (check_volume.h) found damage in a structure the command changes:
//      "The volume is damaged where this command would write: FINDING.
//      Nothing was written; please copy your files to the PC." (the first
//      such finding, "(and N more)" when there are more). The check runs
//      quietly before the first such write of a mount, once; its verdict
//      stays with the mounted volume while this program changes it, and a
//      new mount (or a format, which mounts the new volume) drops it.
//      Which findings concern which structures, and which harm no write,
//      is told in check_problems.h.
// The write-protection probe of the drive is passed in as a callable that
// answers true when the medium is protected, so the guard does not depend on
// how the drive is asked.
//
// What the commands change (Structure bits): a rename, the attributes and
// the fork swap change catalog records; a new folder also the volume
// header (its counters and next ID); the volume name the header and the
// root's catalog records; a copy onto the volume and a deletion every
// structure. Any change of the catalog may grow the catalog file, which
// takes blocks from the bitmap (allocation), and, when the catalog's three
// extents in the volume header are all used, an overflow record in the
// extents tree: the guard adds those structures to a catalog change. Only
// deletions (and copies that replace a file) free blocks. Format replaces
// every structure and is not refused for damage (nor are verify, lock and
// unlock, which write no structure).
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
