// Files and folders dropped from the file manager onto the listing: copied
// into the current folder of the volume as "Copy from PC to Mac" copies,
// a file as its "Selection" does and a folder with its contents as its
// "Directory" does, with the same write guard, questions and log. Without
// a volume: "Select drive in the 'Mac Drive' menu". The listing is
// reloaded afterwards.
#pragma once

#include <filesystem>
#include <vector>

#include "transfer/copy_to_mac.h"

namespace tarvo {

struct Context;

// The copy's outcome; a refused write fails. The first outcome but kDone
// ends the copy.
PcCopyOutcome CopyDroppedItems(Context& ctx, const std::vector<std::filesystem::path>& paths);

}  // namespace tarvo
