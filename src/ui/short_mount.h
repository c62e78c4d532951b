// The short mount: opening the volume for an operation that runs before
// the main window exists (the volume rename of the command line). An
// interrupted update is taken back (interrupted_update.h), the partition is
// chosen as at the full mount, the volume header read and the
// catalog copied into its work file; the root becomes current. No listing.
//
// A medium without a Macintosh volume ends the run after "This is not a
// Macintosh volume." with exit code 1, an MS-DOS medium after "This is a
// MS-DOS formatted volume." with exit code 2 (FatalExit).
#pragma once

namespace tarvo {

struct Context;

void ShortMount(Context& ctx);

}  // namespace tarvo
