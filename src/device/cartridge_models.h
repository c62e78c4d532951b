// The SyQuest cartridges a drive takes: their size, their 512-byte sectors
// and the product name their drives report.
#pragma once

#include <array>
#include <cstdint>

namespace tarvo {

struct CartridgeModel {
  int megabytes;
  std::uint32_t sectors;
  const char* product;
};

inline constexpr std::array<CartridgeModel, 5> kCartridgeModels{{
    {44, 86700, "SQ555"},
    {88, 173456, "SQ5110"},
    {105, 215440, "SQ3105S"},
    {200, 390696, "SQ5200C"},
    {270, 524288, "SQ3270S"},
}};

// Sectors of 512 bytes on a cartridge of 44, 88, 105, 200 or 270 MB; 0 for
// any other size.
std::uint32_t CartridgeSectors(int megabytes);

// The model whose capacity lies nearest to mediumBytes.
const CartridgeModel& NearestCartridgeModel(std::uint64_t mediumBytes);

}  // namespace tarvo
