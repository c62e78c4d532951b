// Start-up and shutdown of a run, shared by both front ends.
#pragma once

#include "ui/startup_options.h"

namespace tarvo {

struct Context;

// Gives every setting its start value, applies the options /A, /L and /R,
// starts the SCSI manager and selects the drive (the given one, or through
// the drive dialog), then writes the log's opening stamp.
void InitSettings(Context& ctx, const StartupOptions& options);

// Releases what the run holds: the work files are deleted without being
// written back, the PC's current directory is restored and the log gets
// its closing stamp.
void Shutdown(Context& ctx);

}  // namespace tarvo
