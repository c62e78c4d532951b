// The input is the start of a medium: the driver descriptor, the partition
// map and whatever volume header lies behind them. The volume is located
// as a mount does (map, partition choice, header), and the brute-force
// header search runs over the same sectors.
#include "base/services.h"
#include "fuzz_medium.h"
#include "fuzz_targets.h"
#include "hfs/medium_probes.h"
#include "medium/brute_force_search.h"
#include "medium/partition_map.h"
#include "ui/partition_dialog.h"

namespace tarvo::fuzz {

int FuzzPartitionMap(const std::uint8_t* data, std::size_t size) {
  FuzzMedium medium(data, size);
  if (!medium.attached()) return 0;
  Context& ctx = medium.ctx;
  try {
    ProbeMedium(ctx, [&ctx](const PartitionList& partitions) { return ChoosePartition(ctx, partitions); });
    BruteForceSearch(ctx);
  } catch (const FatalExit&) {
  }
  return 0;
}

}  // namespace tarvo::fuzz

TARVO_FUZZ_TARGET(FuzzPartitionMap)
