#include "device/cartridge_models.h"

#include <algorithm>

namespace tarvo {

std::uint32_t CartridgeSectors(int megabytes) {
  for (const CartridgeModel& model : kCartridgeModels) {
    if (model.megabytes == megabytes) return model.sectors;
  }
  return 0;
}

const CartridgeModel& NearestCartridgeModel(std::uint64_t mediumBytes) {
  const auto distance = [mediumBytes](const CartridgeModel& model) {
    const std::uint64_t bytes = std::uint64_t{model.sectors} * 512;
    return bytes > mediumBytes ? bytes - mediumBytes : mediumBytes - bytes;
  };
  return *std::min_element(kCartridgeModels.begin(), kCartridgeModels.end(),
                           [&](const auto& a, const auto& b) { return distance(a) < distance(b); });
}

}  // namespace tarvo
