// The file systems the system has mounted from a block device, as
// /proc/self/mounts lists them. A device the system has mounted, or one of
// whose partitions it has, must not be written by us: the system's cache
// of it would overwrite our changes, and it would read our updates half
// done.
#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo {

struct SystemMount {
  std::string source;      // the mounted device, as the mount table names it
  std::string mountPoint;
};

// The device numbers a mount's source occupies: its own and, for a
// partition, its whole disk's; none for a source that is no block device.
using BlockDevicesOf = std::function<std::vector<dev_t>(const std::string& source)>;

// The first mount of `mountsText` (in the format of /proc/self/mounts)
// whose source occupies the block device `device`.
std::optional<SystemMount> FindSystemMount(std::string_view mountsText, dev_t device,
                                           const BlockDevicesOf& devicesOf);

// The device numbers of the node at the absolute path `source` (stat),
// with the whole disk of a partition found in /sys/dev/block.
std::vector<dev_t> SystemBlockDevices(const std::string& source);

// The system's mount of `device` or of one of its partitions, now.
std::optional<SystemMount> SystemMountOf(dev_t device);

}  // namespace tarvo
