#include "support/apple_map_image.h"

#include <algorithm>

#include "base/big_endian.h"

namespace tarvo::testing {

AppleMapImage::AppleMapImage(std::uint32_t blocks, std::uint16_t blockSize)
    : bytes(std::size_t{blocks} * blockSize, 0), blockSize(blockSize) {}

AppleMapImage& AppleMapImage::Descriptor(std::uint32_t blockCount, std::uint16_t descriptorBlockSize) {
  Text(0, "ER");
  PutU16(bytes, 2, descriptorBlockSize != 0 ? descriptorBlockSize : blockSize);
  PutU32(bytes, 4, blockCount);
  return *this;
}

AppleMapImage& AppleMapImage::Entry(std::uint32_t block, std::uint32_t mapBlocks, std::uint32_t start,
                                    std::uint32_t size, const std::string& name, const std::string& type,
                                    std::uint32_t dataCount) {
  const std::size_t at = std::size_t{block} * blockSize;
  Text(at, "PM");
  PutU32(bytes, at + 4, mapBlocks);
  PutU32(bytes, at + 8, start);
  PutU32(bytes, at + 12, size);
  Text(at + 16, name.substr(0, 32));
  Text(at + 48, type.substr(0, 32));
  PutU32(bytes, at + 84, dataCount);
  return *this;
}

AppleMapImage& AppleMapImage::OldMap(std::uint32_t start) {
  Text(blockSize, "TS");
  PutU32(bytes, blockSize + 2, start);
  return *this;
}

AppleMapImage& AppleMapImage::Header(std::uint32_t sector, std::uint16_t drVBMSt, std::uint16_t drAlBlSt,
                                     std::uint32_t drAlBlkSiz, std::uint16_t drNmAlBlks) {
  const std::size_t at = std::size_t{sector} * 512;
  Text(at, "BD");
  PutU16(bytes, at + 0x0E, drVBMSt);
  PutU16(bytes, at + 0x12, drNmAlBlks);
  PutU32(bytes, at + 0x14, drAlBlkSiz);
  PutU16(bytes, at + 0x1C, drAlBlSt);
  return *this;
}

AppleMapImage& AppleMapImage::Text(std::size_t offset, const std::string& text) {
  CheckRange(bytes.size(), offset, text.size());
  std::copy(text.begin(), text.end(), bytes.begin() + offset);
  return *this;
}

}  // namespace tarvo::testing
