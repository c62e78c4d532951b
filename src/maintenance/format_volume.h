// Formatting the selected cartridge as one new Macintosh volume.
//
// The medium's size is `deviceSectors` (set by the capacity step before).
// The format clears the first sectors, writes the driver descriptor, the
// three-entry partition map, the HFS volume header and its alternate, the
// bitmap, both tree files' header nodes and the catalog's root leaf, and
// the driver (format_layout.h, driver_image.h); then it mounts the new
// volume, writes the four Desktop files into the root (desktop_files.h)
// and flushes. Afterwards the new volume is mounted with the root current.
//
// The name comes in Windows characters as typed and is turned into Mac
// Roman, which ends it at a character the volume cannot hold (a ':' for
// instance); a name empty then, as an empty name, gives "Untitled". Each Desktop file counts itself in the root's valence as it
// is written, so the root ends with valence 4.
//
// A medium too small to hold a volume is refused with "Unable to identify
// the magnetic medium." before anything is written. Sector write failures
// are reported by the device layer; the format goes on, and when the new
// volume cannot be mounted afterwards it stops there with "This is not a
// Macintosh volume." and no drive selected.
#pragma once

#include <string>

namespace tarvo {

struct Context;

// Returns 0.
int FormatVolume(Context& ctx, const std::string& name);

}  // namespace tarvo
