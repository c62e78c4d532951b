// The built-in demo cartridge (--demo): a 44 MB cartridge image that Tarvo
// makes itself on first use and keeps in the user's cache folder,
// $XDG_CACHE_HOME/tarvo (by default ~/.cache/tarvo), as
// "demo-cartridge.img".
//
// Making it: a blank image formatted as "Tarvo Demo" (format_volume.h),
// then the sample files shipped with Tarvo copied onto it as any copy to
// the volume does: the tree of the samples' "files" folder as data forks
// with the type and creator of their extensions, then the MacBinary files
// of its "macbinary" folder unpacked (a file with a resource fork). The
// image is built under a temporary name in the same folder and checked
// (check_volume.h); only a complete, sound image, written to the disk,
// gets the final name, so an interrupted run never leaves half a demo
// behind: a failure, SIGINT, SIGTERM or SIGHUP removes the temporary, and
// the temporary of a run killed otherwise is removed by the next run.
// Later runs use the image as it is, with any changes made to it; deleting
// the file brings a fresh one.
//
// The samples are looked for in the installed data folder beside the
// program's own folder (../share/tarvo/demo from bin), in the source tree
// the program was built from, and in the data folder of the prefix it was
// built for.
#pragma once

#include <filesystem>
#include <string>

namespace tarvo {

std::filesystem::path DemoCartridgePath();
// The first samples folder that exists; empty when none does.
std::filesystem::path DemoSamplesDirectory();

// Makes the demo cartridge when it does not exist yet and sets `path` to
// it. Returns "" or what went wrong (nothing is left behind then).
std::string EnsureDemoCartridge(std::string& path);

}  // namespace tarvo
