// Builders for media images with a driver descriptor, an Apple partition
// map and volume header signatures, laid out in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvo::testing {

class AppleMapImage {
 public:
  // A zeroed medium of `blocks` blocks of `blockSize` bytes.
  AppleMapImage(std::uint32_t blocks, std::uint16_t blockSize = 512);

  std::vector<std::uint8_t> bytes;
  std::uint16_t blockSize;

  // "ER", the block size and the block count in block 0.
  AppleMapImage& Descriptor(std::uint32_t blockCount, std::uint16_t descriptorBlockSize = 0);
  // A "PM" entry in block `block` (1 for the first entry).
  AppleMapImage& Entry(std::uint32_t block, std::uint32_t mapBlocks, std::uint32_t start, std::uint32_t size,
                       const std::string& name, const std::string& type, std::uint32_t dataCount = 0);
  // An old-style map: "TS" and the first partition's start in block 1.
  AppleMapImage& OldMap(std::uint32_t start);
  // "BD" at the start of 512-byte sector `sector`, with the geometry fields
  // a header search reads.
  AppleMapImage& Header(std::uint32_t sector, std::uint16_t drVBMSt = 3, std::uint16_t drAlBlSt = 5,
                        std::uint32_t drAlBlkSiz = 512, std::uint16_t drNmAlBlks = 100);
  AppleMapImage& Text(std::size_t offset, const std::string& text);
};

}  // namespace tarvo::testing
