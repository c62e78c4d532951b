// Opening the Macintosh volume on the selected drive: an interrupted
// update taken back (interrupted_update.h), the partition map and choice,
// the volume header, the catalog work file, the root folder and its
// listing.
#pragma once

namespace tarvo {

struct Context;

// What the drive held: a volume now open and listed, no Macintosh volume
// (the drive selection is dropped), or an MS-DOS volume (`volumeOrigin`
// negative).
enum class VolumeOpening { kOpened, kNoMacVolume, kMsDos };

// A header whose allocation blocks lie past the medium or the partition is
// reported ("The volume header describes a volume larger than its medium;
// ..."), and what can be read is still listed.
VolumeOpening OpenVolume(Context& ctx);

// Makes the root folder current and lists it; used after every mount.
void ShowRootFolder(Context& ctx);

}  // namespace tarvo
