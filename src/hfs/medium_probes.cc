#include "hfs/medium_probes.h"

#include <array>
#include <optional>

#include "base/engine.h"
#include "hfs/volume_header.h"
#include "medium/msdos_probe.h"
#include "medium/partition_map.h"

namespace tarvo {

namespace {

// A probe's answer: the kind it claims, or none to let the next one look.
using MediumProbe = std::optional<MediumKind> (*)(Engine& ctx, const PartitionChooser& choose);

std::optional<MediumKind> PlaceByPartitionMap(Engine& ctx, const PartitionChooser& choose) {
  PartitionList partitions;
  if (ReadPartitionMap(ctx, partitions) == MediumMap::kNewMap && partitions.count > 1 && choose)
    SelectPartition(ctx.volume, partitions, choose(partitions));
  return std::nullopt;
}

std::optional<MediumKind> ClaimHfsHeader(Engine& ctx, const PartitionChooser&) {
  if (ReadVolumeHeader(ctx) == VolumeHeaderFound::kHfs) return MediumKind::kMacVolume;
  return std::nullopt;
}

std::optional<MediumKind> ClaimMsDos(Engine& ctx, const PartitionChooser&) {
  ctx.volume.volumeOrigin = MsDosProbe(ctx);
  if (ctx.volume.volumeOrigin < 0) return MediumKind::kMsDos;
  return std::nullopt;
}

constexpr std::array<MediumProbe, 3> kProbes = {PlaceByPartitionMap, ClaimHfsHeader, ClaimMsDos};

}  // namespace

MediumKind ProbeMedium(Engine& ctx, const PartitionChooser& choose) {
  for (const MediumProbe probe : kProbes) {
    if (const std::optional<MediumKind> kind = probe(ctx, choose)) return *kind;
  }
  return MediumKind::kUnknown;
}

}  // namespace tarvo
