// The flush that ends an operation which changed the volume, with its
// failure told to the user.
//
// A flush that failed and was taken back tells the user the change was not
// made: "Error writing to the volume: the change was not made." When a part
// could not be written and the flush could not be taken back the user
// learns which, and that the volume may need checking:
//   "The volume may need checking: not written: the bitmap, the catalog
//    tree."
#pragma once

#include <string>

#include "hfs/flush.h"

namespace tarvo {

struct Engine;

// The parts of a failed flush, as the message names them ("" when none).
std::string DescribeUnwritten(const FlushStatus& status);

// Tells the user a failed flush with one of the messages above; true when
// all was written.
bool ReportFlush(Engine& ctx, const FlushStatus& status);

// FlushVolume, then ReportFlush.
bool FlushVolumeAndReport(Engine& ctx);

}  // namespace tarvo
