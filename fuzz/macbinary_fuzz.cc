// The input is a MacBinary file: its header is checked against the input's
// size, and read from an open file as a copy to the volume reads it. A
// header built from the input as a file record is parsed back.
#include <algorithm>
#include <cstdio>

#include "fuzz_targets.h"
#include "hfs/catalog_record.h"
#include "transfer/macbinary.h"

namespace tarvo::fuzz {

int FuzzMacBinary(const std::uint8_t* data, std::size_t size) {
  const ConstBytes input(data, size);
  MacBinaryInfo info;
  ParseMacBinaryHeader(input.first(std::min(size, kMacBinaryHeaderSize)), size, info);

  if (std::FILE* file = std::tmpfile()) {
    std::fwrite(data, 1, size, file);
    std::rewind(file);
    ReadMacBinaryHeader(file, info);
    std::fclose(file);
  }

  // The first 31 bytes as a name, the next 102 as a file record.
  if (size >= 1 + filrec::kSize) {
    const std::size_t nameLength = std::min<std::size_t>(data[0], 31);
    const std::string_view name(reinterpret_cast<const char*>(data) + 1, std::min(nameLength, size - 1));
    const MacBinaryHeaderBytes header = MakeMacBinaryHeader(name, input.last(filrec::kSize));
    ParseMacBinaryHeader(header, UINT32_MAX, info);
  }
  return 0;
}

}  // namespace tarvo::fuzz

TARVO_FUZZ_TARGET(FuzzMacBinary)
