// Opening the Macintosh volume on the selected drive: an interrupted
// update taken back (interrupted_update.h), the partition map and choice,
// the volume header, the catalog work file, the root folder and its
// listing.
#pragma once

#include <cstdint>

namespace tarvo {

struct Context;

// 1: a volume is open and listed; 0: no Macintosh volume on the drive (the
// drive selection is dropped); negative: the medium carries an MS-DOS
// volume. A header whose allocation blocks lie past the medium or the
// partition is reported ("The volume header describes a volume larger than
// its medium; ..."), and what can be read is still listed.
std::int64_t OpenVolume(Context& ctx);

// Makes the root folder current and lists it; used after every mount.
void ShowRootFolder(Context& ctx);

}  // namespace tarvo
