// The allocation check: every fork's extents against its lengths, the
// extents against each other and the volume's end, and the bitmap against
// them all.
//
// The extents file and the catalog file take part with the extents and
// sizes the volume header gives them; the catalog file may have overflow
// extents like any fork. A fork's extents are those of its first extent
// record (up to its end, extent_record.h) and, when all three of its
// descriptors are used, of the overflow record keyed (file ID, fork type,
// blocks so far), and so on. Blocks a record names after its end are
// reported, as is an overflow record no fork reaches; their blocks count
// as belonging to nothing, since the bitmap frees them when the file goes.
//
// Blocks at or beyond drNmAlBlks in the bitmap are not looked at.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/big_endian.h"
#include "maintenance/check_problems.h"
#include "maintenance/check_tree.h"

namespace tarvo {

struct VolumeState;

struct Fork {
  std::string name;  // the file's name; for the extents and catalog files how findings name them
  std::uint32_t fileId = 0;
  std::uint8_t forkType = 0;
  std::uint32_t logicalLength = 0;
  std::uint32_t physicalLength = 0;
  std::array<std::uint8_t, 12> extents{};
  bool systemFile = false;  // the extents or catalog file
};

// How findings name the fork: file "x" (ID 17), data fork. Made only for a
// finding: a sound volume of thousands of files needs none.
std::string ForkOwner(const Fork& fork);

// forks: the files' forks in catalog order; overflow: the extents tree's
// leaf records; bitmap: the bitmap's bytes, none when it could not be read.
void CheckAllocation(const VolumeState& volume, const std::vector<Fork>& forks, const std::vector<LeafRecord>& overflow,
                     std::optional<ConstBytes> bitmap, std::vector<Finding>& findings);

}  // namespace tarvo
