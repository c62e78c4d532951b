// Formatting the selected cartridge as one new Macintosh volume.
//
// The medium's size is `deviceSectors` (set by the capacity step before).
// The format clears the first sectors, writes the driver descriptor, the
// three-entry partition map, the HFS volume header and its alternate, the
// bitmap, both tree files' header nodes (with the map nodes of a large
// tree) and the catalog's root leaf, and the driver (format_layout.h,
// driver_image.h); then it mounts the new volume, writes the four Desktop
// files into the root (desktop_files.h) and flushes. Afterwards the new
// volume is mounted with the root current.
//
// The name comes in Windows characters as typed and is turned into Mac
// Roman, which ends it at a character the volume cannot hold (a ':' for
// instance); a name empty then, as an empty name, gives "Untitled". Each Desktop file counts itself in the root's valence as it
// is written, so the root ends with valence 4.
//
// A medium too small to hold a volume is refused with "Unable to identify
// the magnetic medium." before anything is written, and so is one that
// another program uses, with "The volume is in use by another program.":
// the drive formatted is claimed here (write_claim.h), since the format
// command may choose another drive than the one its guard claimed. A claim
// the format makes ends with it, unless the command it runs in holds one.
//
// An interrupted update the medium's journal tells of is taken back
// first (interrupted_update.h). Then the format is one update
// (sector_undo.h): what it writes is staged in memory, with the original
// of every sector it changes (the cleared sectors, 750 per allocation
// block unit, are most of it: 750 KB on a 44 MB cartridge, 3.4 MB on a
// 270 MB one; none where they hold zeros already), and reaches the medium
// with the flush at its end, journaled, so that a program stopped part
// way leaves the medium as it was. When a write fails for good, every
// original goes back and the format tells "Error writing to the medium: it
// was not formatted." (or, when the originals cannot be put back either,
// "Error writing to the medium: the format is incomplete."); the new
// volume is not mounted, the work files are closed, and the caller opens
// what the medium holds. A medium so large that its cleared sectors would not fit
// the undo's memory (from about 1.9 GB on) is formatted as before, without
// taking back: write failures are reported by the device layer and the
// flush, and when the new volume cannot be mounted afterwards the format
// stops there with "This is not a Macintosh volume." and no drive
// selected.
#pragma once

#include <string>

namespace tarvo {

struct Engine;

void FormatVolume(Engine& ctx, const std::string& name);

}  // namespace tarvo
