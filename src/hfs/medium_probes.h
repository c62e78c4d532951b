// What a medium in the drive holds, decided in one place: the probes are
// asked in their order, and the first that claims the medium decides.
//
//   1. the driver descriptor and the partition map (partition_map.h), which
//      place the volume and claim nothing themselves;
//   2. the HFS volume header at the place they give (volume_header.h);
//   3. the MS-DOS boot sector (msdos_probe.h).
// A DiskCopy container is unwrapped below all of them, by the image file
// that holds it, so the probes see its data area as the medium.
#pragma once

#include <functional>

namespace tarvo {

struct Engine;
struct PartitionList;

enum class MediumKind {
  kUnknown,    // no probe claimed it
  kMacVolume,  // an HFS volume header: its geometry is in the volume state
  kMsDos,      // an MS-DOS medium: `volumeOrigin` is negative, as MsDosProbe gives
};

// Picks the row of a map with several HFS partitions to mount; negative
// for none. Without one, the map's first partition is kept.
using PartitionChooser = std::function<int(const PartitionList&)>;

// Asks the probes in order. Afterwards `volumeOrigin` is positive for a
// Macintosh volume, 0 when nothing was recognised, negative for MS-DOS.
MediumKind ProbeMedium(Engine& ctx, const PartitionChooser& choose = {});

}  // namespace tarvo
