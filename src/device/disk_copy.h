// The DiskCopy 4.2 container: an 84-byte header, the medium's data, then
// the tag bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "base/big_endian.h"

namespace tarvo {

inline constexpr std::size_t kDiskCopyHeaderSize = 84;

struct DiskCopyData {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
};

// Where the data lie in a DiskCopy 4.2 image of fileSize bytes that begins
// with `header`; none for anything else. The header is recognised by a
// name of at most 63 characters, the private word 0x0100 and a file size
// of exactly the header, the data and the tags.
std::optional<DiskCopyData> DiskCopyDataArea(ConstBytes header, std::uint64_t fileSize);

}  // namespace tarvo
