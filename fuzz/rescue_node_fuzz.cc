// The input is a catalog leaf node (its first 512 bytes) on a medium that
// is the whole input: the rescue takes every file record of the node and
// copies its forks, read through the record's own extents, into PC files.
// The input's last byte picks the copy mode (data fork, resource fork or
// MacBinary). The files are removed after each run.
#include <algorithm>

#include "base/program_settings.h"
#include "base/services.h"
#include "fuzz_medium.h"
#include "fuzz_targets.h"
#include "transfer/copy_to_pc.h"
#include "transfer/rescue_scan.h"

namespace tarvo::fuzz {

int FuzzRescueNode(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  FuzzMedium medium(data, size, 2);
  if (!medium.attached()) return 0;
  Context& ctx = medium.ctx;
  ctx.volume.volumeOrigin = 1;
  ctx.volume.sectorsPerBlock = 1;
  ctx.volume.allocBlockSize = 512;
  static constexpr std::uint16_t kModes[] = {kCopyData, kCopyResource, kCopyMacBinary};
  ctx.settings.modeFlags = kModes[data[size - 1] % 3];
  NodeBuffer node{};
  std::copy_n(data, std::min(size, node.size()), node.begin());
  RescueFields fields;
  try {
    RescueNode(ctx, node, fields);
  } catch (const FatalExit&) {
  }
  medium.RemovePcFiles();
  return 0;
}

}  // namespace tarvo::fuzz

TARVO_FUZZ_TARGET(FuzzRescueNode)
