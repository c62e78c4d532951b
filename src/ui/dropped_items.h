// Files and folders dropped from the file manager onto the listing: copied
// into the current folder of the volume as "Copy from PC to Mac" copies,
// a file as its "Selection" does and a folder with its contents as its
// "Directory" does, with the same write guard, questions and log. Without
// a volume: "Select drive in the 'Mac Drive' menu". The listing is
// reloaded afterwards.
#pragma once

#include <filesystem>
#include <vector>

namespace tarvo {

struct Context;

// The copy's result (copy_to_mac.h): 0 done, -1 a failure or a refused
// write, 1 aborted with Esc, kCopyCancelled. The first non-zero result
// ends the copy.
int CopyDroppedItems(Context& ctx, const std::vector<std::filesystem::path>& paths);

}  // namespace tarvo
