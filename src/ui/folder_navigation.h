// Moving the current folder of the mounted volume and relisting it: the
// steps every folder command shares (menus 108, 109, 110, a double click,
// the typed CD). Each move sizes the listing to the new folder's valence
// and reloads it; the selection goes with the reload.
//
// The moves need a mounted Macintosh volume: without one they do nothing
// and answer false, so the catalog work file of an earlier volume is never
// walked.
#pragma once

#include <string_view>

#include "hfs/navigation.h"

namespace tarvo {

struct Context;

// Enters the subfolder `macName` (Macintosh character set) of the current
// folder. False when there is no volume or no such folder; the listing is
// reloaded either way when a volume is open.
bool EnterFolder(Context& ctx, std::string_view macName);
bool GoToParentFolder(Context& ctx);
bool GoToRootFolder(Context& ctx);
// Enters the first selected folder row, which is deselected; with none
// selected, the status line says so.
void EnterSelectedFolder(Context& ctx);

}  // namespace tarvo
