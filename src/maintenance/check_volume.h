// CheckVolume: a read-only consistency check of the mounted volume.
//
// The check looks at the volume as the engine holds it: the volume header
// in `mdb`, the catalog work file, the extents work file (copied from the
// volume on first use, as every extents lookup does), and the bitmap in
// memory when it is loaded (it may hold allocations not yet written back),
// otherwise read from the medium into a buffer of its own. Nothing is
// written and the trees' node buffers are left as they were.
//
// It checks, in this order: the catalog tree's structure, the extents
// tree's structure (check_tree.h), the catalog's contents and the volume
// header's counters (check_catalog.h), then forks, extents and the bitmap
// (check_allocation.h), and last whether the medium holds the volume's
// last allocation block (one sector read; a medium shorter than its volume
// is reported, since writes there would fail). Every finding is collected, none stops the check;
// damage never makes it loop or read outside a buffer.
#pragma once

#include <string>
#include <vector>

#include "maintenance/check_problems.h"

namespace tarvo {

struct Engine;

struct CheckReport {
  std::vector<Finding> findings;
  bool clean() const { return findings.empty(); }
};

// Needs a mounted volume (its catalog work file open).
CheckReport CheckVolume(Engine& ctx);

// One line per finding, or "Volume check: no problems found." when there
// are none. Names stay in Macintosh characters.
std::vector<std::string> CheckReportLines(const CheckReport& report);

}  // namespace tarvo
