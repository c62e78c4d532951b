#include "device/sg_device_layer.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <tuple>

namespace tarvo {

namespace {

class LinuxSgDeviceLayer : public SgDeviceLayer {
 public:
  std::vector<SgHost> ListHosts() override;
  int Open(const std::string& devicePath) override;
  int Ioctl(int fd, unsigned long request, void* argument) override { return ::ioctl(fd, request, argument); }
  void Close(int fd) override { ::close(fd); }
  MediumLockResult Lock(int fd, bool exclusive) override {
    return exclusive ? LockExclusive(fd) : LockShared(fd, std::chrono::milliseconds{0});
  }
};

std::optional<std::uint8_t> ReadDeviceType(const std::filesystem::path& file);

}  // namespace

std::unique_ptr<SgDeviceLayer> MakeLinuxSgDeviceLayer() { return std::make_unique<LinuxSgDeviceLayer>(); }

std::optional<ScsiAddress> ParseScsiAddress(std::string_view name) {
  int fields[4] = {};
  const char* at = name.data();
  const char* end = name.data() + name.size();
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      if (at == end || *at != ':') return std::nullopt;
      ++at;
    }
    const auto [next, error] = std::from_chars(at, end, fields[i]);
    if (error != std::errc() || fields[i] < 0) return std::nullopt;
    at = next;
  }
  if (at != end) return std::nullopt;
  return ScsiAddress{fields[0], fields[1], fields[2], fields[3]};
}

std::vector<SgHost> GroupSgNodes(std::vector<SgNode> nodes) {
  std::erase_if(nodes, [](const SgNode& node) { return node.address.lun != 0 || node.address.target > 255; });
  std::sort(nodes.begin(), nodes.end(), [](const SgNode& a, const SgNode& b) {
    return std::tie(a.address.host, a.address.target, a.address.channel) <
           std::tie(b.address.host, b.address.target, b.address.channel);
  });
  std::vector<SgHost> hosts;
  for (const SgNode& node : nodes) {
    if (hosts.empty() || hosts.back().hostNumber != node.address.host) hosts.push_back({node.address.host, {}});
    std::vector<SgTarget>& targets = hosts.back().targets;
    const auto target = static_cast<std::uint8_t>(node.address.target);
    if (!targets.empty() && targets.back().target == target) continue;  // a higher channel
    targets.push_back({target, node.devicePath, node.deviceType});
  }
  return hosts;
}

namespace {

std::vector<SgHost> LinuxSgDeviceLayer::ListHosts() {
  namespace fs = std::filesystem;
  std::vector<SgNode> nodes;
  std::error_code listError;
  fs::directory_iterator entry("/sys/class/scsi_generic", listError);
  for (; !listError && entry != fs::directory_iterator(); entry.increment(listError)) {
    const fs::path node = entry->path();
    std::error_code linkError;
    const fs::path device = fs::read_symlink(node / "device", linkError);
    const auto address = ParseScsiAddress(device.filename().string());
    if (linkError || !address) continue;
    nodes.push_back({"/dev/" + node.filename().string(), *address, ReadDeviceType(node / "device" / "type")});
  }
  return GroupSgNodes(std::move(nodes));
}

// Read and write when we may; a node we may only read still answers INQUIRY
// and READ CAPACITY.
int LinuxSgDeviceLayer::Open(const std::string& devicePath) {
  const int fd = ::open(devicePath.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0 || (errno != EACCES && errno != EROFS && errno != EPERM)) return fd;
  return ::open(devicePath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

std::optional<std::uint8_t> ReadDeviceType(const std::filesystem::path& file) {
  std::ifstream in(file);
  int type = -1;
  if (!(in >> type) || type < 0 || type > 0x1F) return std::nullopt;
  return static_cast<std::uint8_t>(type);
}

}  // namespace

}  // namespace tarvo
