// Start-up and shutdown of a run, shared by both front ends.
#pragma once

#include "ui/startup_options.h"

namespace tarvo {

struct Context;

// Gives every setting its start value, applies the options /A, /L and /R,
// starts the SCSI manager and selects the drive (the given one, or through
// the drive dialog), then writes the log's opening stamp. --demo without /A
// selects the demo cartridge, the first drive (adapter 0, target 0), so the
// demo opens without the drive dialog.
void InitSettings(Context& ctx, const StartupOptions& options);

// Opens the volume on the drive chosen at start-up, as the main window does
// once it is shown: without a drive the status line asks for one ("Select
// drive in the 'Mac Drive' menu"); otherwise the wait cursor advances and
// the volume is opened; the status line then shows "Select a menu or press
// F1 for help...", or "This is not a Macintosh volume.", or keeps what the
// opening left for an MS-DOS medium. Then the menu state is applied and the
// window repainted.
void OpenVolumeAtStart(Context& ctx);

// Releases what the run holds: the work files are deleted without being
// written back, the PC's current directory is restored and the log gets
// its closing stamp.
void Shutdown(Context& ctx);
// Shutdown at the end of a front end's run: the run's exit code, or 1 when
// the shutdown itself ends fatally.
int ShutdownWithExitCode(Context& ctx, int exitCode);

}  // namespace tarvo
