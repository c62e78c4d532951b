// File contents for tests: bytes that differ from block to block and from
// one seed to the next, so that a block read from the wrong place shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarvo::testing {

inline std::vector<std::uint8_t> PatternBytes(std::size_t size, unsigned seed = 0) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + seed * 13 + i / 509);
  return bytes;
}

}  // namespace tarvo::testing
