// Big-endian field access on byte spans.
//
// Every Macintosh on-disk structure and every SCSI CDB field is big-endian.
// Structures stay in disk byte order in memory and are read and written
// field by field through these helpers, so a buffer can go back to the disk
// unchanged. An access that would fall outside the span throws
// std::out_of_range: a damaged image can never make us read past a buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>

namespace tarvo {

using Bytes = std::span<std::uint8_t>;
using ConstBytes = std::span<const std::uint8_t>;

inline void CheckRange(std::size_t size, std::size_t offset, std::size_t width) {
  if (offset > size || width > size - offset) throw std::out_of_range("field outside its buffer");
}

inline std::uint8_t GetU8(ConstBytes b, std::size_t offset) {
  CheckRange(b.size(), offset, 1);
  return b[offset];
}

inline std::uint16_t GetU16(ConstBytes b, std::size_t offset) {
  CheckRange(b.size(), offset, 2);
  return static_cast<std::uint16_t>(b[offset] << 8 | b[offset + 1]);
}

inline std::uint32_t GetU32(ConstBytes b, std::size_t offset) {
  CheckRange(b.size(), offset, 4);
  return std::uint32_t{b[offset]} << 24 | std::uint32_t{b[offset + 1]} << 16 |
         std::uint32_t{b[offset + 2]} << 8 | b[offset + 3];
}

inline void PutU8(Bytes b, std::size_t offset, std::uint8_t v) {
  CheckRange(b.size(), offset, 1);
  b[offset] = v;
}

inline void PutU16(Bytes b, std::size_t offset, std::uint16_t v) {
  CheckRange(b.size(), offset, 2);
  b[offset] = static_cast<std::uint8_t>(v >> 8);
  b[offset + 1] = static_cast<std::uint8_t>(v);
}

inline void PutU32(Bytes b, std::size_t offset, std::uint32_t v) {
  CheckRange(b.size(), offset, 4);
  b[offset] = static_cast<std::uint8_t>(v >> 24);
  b[offset + 1] = static_cast<std::uint8_t>(v >> 16);
  b[offset + 2] = static_cast<std::uint8_t>(v >> 8);
  b[offset + 3] = static_cast<std::uint8_t>(v);
}

// In-place counters of the volume header and catalog records; they wrap as
// the 16- and 32-bit disk fields do.
inline void IncrementU16(Bytes b, std::size_t offset) { PutU16(b, offset, GetU16(b, offset) + 1); }
inline void DecrementU16(Bytes b, std::size_t offset) { PutU16(b, offset, GetU16(b, offset) - 1); }
inline void IncrementU32(Bytes b, std::size_t offset) { PutU32(b, offset, GetU32(b, offset) + 1); }
inline void DecrementU32(Bytes b, std::size_t offset) { PutU32(b, offset, GetU32(b, offset) - 1); }

}  // namespace tarvo
