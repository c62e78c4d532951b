#include "device/disk_copy.h"

namespace tarvo {

std::optional<DiskCopyData> DiskCopyDataArea(ConstBytes header, std::uint64_t fileSize) {
  if (header.size() < kDiskCopyHeaderSize || fileSize < kDiskCopyHeaderSize) return std::nullopt;
  const std::uint64_t dataSize = GetU32(header, 64);
  const std::uint64_t tagSize = GetU32(header, 68);
  if (header[0] <= 63 && GetU16(header, 82) == 0x0100 && dataSize > 0 &&
      kDiskCopyHeaderSize + dataSize + tagSize == fileSize) {
    return DiskCopyData{kDiskCopyHeaderSize, dataSize};
  }
  return std::nullopt;
}

}  // namespace tarvo
