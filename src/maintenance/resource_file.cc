#include "maintenance/resource_file.h"

#include <algorithm>

#include "base/big_endian.h"

namespace tarvo {

namespace {

constexpr std::size_t kDataStart = 256;
constexpr std::size_t kMapHeaderSize = 28;  // header copy, handle, file ref, attributes, two offsets
constexpr std::size_t kTypeEntrySize = 8;
constexpr std::size_t kReferenceSize = 12;

void WriteHeader(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t mapOffset, std::uint32_t dataLength,
                 std::uint32_t mapLength);
std::vector<std::string> TypesInOrder(const std::vector<Resource>& resources);
std::string TypeCode(const Resource& r) { return (r.type + "    ").substr(0, 4); }

}  // namespace

std::vector<std::uint8_t> BuildResourceFile(const std::vector<Resource>& resources) {
  const std::vector<std::string> types = TypesInOrder(resources);
  std::size_t dataLength = 0;
  for (const Resource& r : resources) dataLength += 4 + r.data.size();
  const std::size_t typeListSize = 2 + kTypeEntrySize * types.size();
  const std::size_t mapLength = kMapHeaderSize + typeListSize + kReferenceSize * resources.size();
  const std::size_t mapOffset = kDataStart + dataLength;

  std::vector<std::uint8_t> out(mapOffset + mapLength, 0);
  WriteHeader(out, 0, static_cast<std::uint32_t>(mapOffset), static_cast<std::uint32_t>(dataLength),
              static_cast<std::uint32_t>(mapLength));
  WriteHeader(out, mapOffset, static_cast<std::uint32_t>(mapOffset), static_cast<std::uint32_t>(dataLength),
              static_cast<std::uint32_t>(mapLength));
  PutU16(out, mapOffset + 24, kMapHeaderSize);
  PutU16(out, mapOffset + 26, static_cast<std::uint16_t>(mapLength));

  const std::size_t typeList = mapOffset + kMapHeaderSize;
  PutU16(out, typeList, static_cast<std::uint16_t>(types.size() - 1));  // an empty list reads 0xFFFF
  std::size_t reference = typeList + typeListSize;
  std::vector<std::size_t> dataOffsets;
  for (std::size_t offset = 0; const Resource& r : resources) {
    dataOffsets.push_back(offset);
    offset += 4 + r.data.size();
  }
  for (std::size_t t = 0; t < types.size(); ++t) {
    const std::size_t entry = typeList + 2 + kTypeEntrySize * t;
    std::copy_n(types[t].begin(), 4, out.begin() + static_cast<std::ptrdiff_t>(entry));
    PutU16(out, entry + 6, static_cast<std::uint16_t>(reference - typeList));
    std::uint16_t count = 0;
    for (std::size_t i = 0; i < resources.size(); ++i) {
      if (TypeCode(resources[i]) != types[t]) continue;
      PutU16(out, reference, static_cast<std::uint16_t>(resources[i].id));
      PutU16(out, reference + 2, 0xFFFF);  // no name
      // The attributes byte (0) and the 3-byte data offset share one word.
      PutU32(out, reference + 4, static_cast<std::uint32_t>(dataOffsets[i]));
      reference += kReferenceSize;
      ++count;
    }
    PutU16(out, entry + 4, static_cast<std::uint16_t>(count - 1));
  }

  for (std::size_t i = 0; i < resources.size(); ++i) {
    const std::size_t at = kDataStart + dataOffsets[i];
    PutU32(out, at, static_cast<std::uint32_t>(resources[i].data.size()));
    std::copy(resources[i].data.begin(), resources[i].data.end(), out.begin() + static_cast<std::ptrdiff_t>(at + 4));
  }
  return out;
}

namespace {

void WriteHeader(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t mapOffset, std::uint32_t dataLength,
                 std::uint32_t mapLength) {
  PutU32(out, at, kDataStart);
  PutU32(out, at + 4, mapOffset);
  PutU32(out, at + 8, dataLength);
  PutU32(out, at + 12, mapLength);
}

std::vector<std::string> TypesInOrder(const std::vector<Resource>& resources) {
  std::vector<std::string> types;
  for (const Resource& r : resources) {
    const std::string type = TypeCode(r);
    if (std::find(types.begin(), types.end(), type) == types.end()) types.push_back(type);
  }
  return types;
}

}  // namespace

}  // namespace tarvo
