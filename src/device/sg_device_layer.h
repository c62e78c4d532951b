// The system access of the Linux SCSI generic bus: listing the SCSI hosts
// and their targets, opening a target's /dev/sg node, ioctl and close.
//
// The real layer reads sysfs: /sys/class/scsi_generic/sgN/device links to
// a device named "h:c:t:l" (host, channel, target, LUN) whose `type` file
// holds the peripheral device type; the node is /dev/sgN. An open node is
// locked between programs as an image file is (medium_lock.h). Tests replace the
// layer with a fake, so nothing above it touches the system.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/medium_lock.h"

namespace tarvo {

struct SgTarget {
  std::uint8_t target = 0;
  std::string devicePath;                  // "/dev/sg2"
  std::optional<std::uint8_t> deviceType;  // when the system reports it
};

struct SgHost {
  int hostNumber = 0;
  std::vector<SgTarget> targets;  // ascending, LUN 0 only
};

class SgDeviceLayer {
 public:
  virtual ~SgDeviceLayer() = default;
  // The hosts that have at least one target, in ascending host number.
  virtual std::vector<SgHost> ListHosts() = 0;
  // A descriptor, or -1 when the node cannot be opened.
  virtual int Open(const std::string& devicePath) = 0;
  // As ioctl(2): 0 (or a positive value) on success, -1 on failure.
  virtual int Ioctl(int fd, unsigned long request, void* argument) = 0;
  virtual void Close(int fd) = 0;
  // The lock between programs on an open node: shared (never waiting) or
  // exclusive.
  virtual MediumLockResult Lock(int fd, bool exclusive) = 0;
};

std::unique_ptr<SgDeviceLayer> MakeLinuxSgDeviceLayer();

struct ScsiAddress {
  int host = 0;
  int channel = 0;
  int target = 0;
  int lun = 0;
};

// Reads "h:c:t:l"; nothing else is an address.
std::optional<ScsiAddress> ParseScsiAddress(std::string_view name);

struct SgNode {
  std::string devicePath;
  ScsiAddress address;
  std::optional<std::uint8_t> deviceType;
};

// Groups generic nodes into hosts and targets: LUN 0 only, targets 0..255;
// of two nodes with the same host and target (on different channels) the
// lower channel wins.
std::vector<SgHost> GroupSgNodes(std::vector<SgNode> nodes);

}  // namespace tarvo
