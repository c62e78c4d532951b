// File thread records as Macintoshes make them for file ID references,
// added to hfsutils volumes (hfsutils makes none) through the catalog
// insertion: the thread keyed (file ID, ""), type 4, naming the file's
// folder and the file, and bit 1 of the file record's filFlags set.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/context.h"

namespace tarvo::testing {

// Gives the file `name` of the current folder its thread record; returns
// the file's ID, 0 when there is no such file or the catalog refused. The
// caller flushes.
std::uint32_t AddFileThread(Context& ctx, const std::string& name);

// Mounts the image for writing, gives each file named (a ":" path from the
// root, "Folder:File") its thread and flushes; true when all went well.
bool AddFileThreads(const std::string& image, const std::vector<std::string>& paths);

}  // namespace tarvo::testing
