// The input is a BinHex text: decoded as it comes, and once more behind a
// BinHex line and ':' so that garbage reaches the decoding itself. What
// decodes is encoded again.
#include <string>

#include "fuzz_targets.h"
#include "transfer/binhex.h"

namespace tarvo::fuzz {

int FuzzBinHex(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  BinHexFile file;
  if (DecodeBinHex(text, file) == BinHexCheck::kDecoded) EncodeBinHex(file);
  DecodeBinHex("(This file must be converted with BinHex 4.0)\n:" + text, file);
  return 0;
}

}  // namespace tarvo::fuzz

TARVO_FUZZ_TARGET(FuzzBinHex)
