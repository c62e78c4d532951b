// Renaming the mounted volume.
//
// The new name comes in the PC (ANSI) character set; it is cut to 27
// characters, logged "*label NAME\r\n" once the catalog took it, and
// turned into Mac Roman (where
// AnsiToMac has no counterpart, at a ':' for instance, the name ends). The
// MDB's drVN, the root's directory record (key: parent 1, the volume name)
// and the root's thread record all take the new name; the main window's
// title follows; the volume is flushed here (a failing flush is reported).
//
// With no volume open yet, the short mount runs first (ui/short_mount.h).
// A name that is empty in Mac Roman is refused, and so is a change the
// catalog cannot make (a catalog that cannot grow: "Error trying to extend
// catalog."): the volume then keeps its old name everywhere, nothing is
// written and nothing logged.
#pragma once

#include <string_view>

namespace tarvo {

struct Context;

// True when the volume was renamed and flushed.
bool RenameVolume(Context& ctx, std::string_view newName);

}  // namespace tarvo
