// BinHex 4.0 (.hqx): a Macintosh file as 7-bit text, the header and both
// forks run-length encoded and written six bits a character between two
// ':', each part with its CRC-16/XMODEM (crc16.h). BinHex holds no dates.
//
// Reading takes any text before the "(This file must be converted with
// BinHex 4.0)" line and any whitespace inside the stream, and refuses,
// without a partial result, what BinHexCheck names.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "base/big_endian.h"
#include "transfer/macbinary.h"

namespace tarvo {

struct BinHexFile {
  std::string name;     // Mac Roman; read: 1 to 31 characters, no ':' or control character
  std::string type;     // 4 characters
  std::string creator;  // 4 characters
  std::uint16_t finderFlags = 0;
  std::vector<std::uint8_t> dataFork;
  std::vector<std::uint8_t> resourceFork;
};

enum class BinHexCheck {
  kDecoded,
  kNoBinHexLine,     // no "(This file must be converted with BinHex" line
  kBadCharacter,     // a character outside the alphabet inside the stream
  kTruncated,        // the stream ends before the file it describes
  kBadHeader,        // a name length of 0 or above 63
  kBadHeaderCrc,
  kBadDataCrc,
  kBadResourceCrc,
};

// The text of a file (name cut to 31 characters, type and creator to 4).
std::string EncodeBinHex(const BinHexFile& file);
// Decodes a text; file is filled only when the result is kDecoded.
BinHexCheck DecodeBinHex(std::string_view text, BinHexFile& file);
// Decodes the whole of an open PC file, read from its start.
BinHexCheck ReadBinHex(std::FILE* file, BinHexFile& decoded);
// Why a text was refused, for the user ("" for kDecoded).
std::string_view BinHexProblem(BinHexCheck check);

// Writes a file of the catalog (its key's name and its file record's data,
// 102 bytes) as BinHex to the open PC file, its forks taken through
// copyFork. False when a fork copy or a write fails.
bool WriteBinHex(std::FILE* file, std::string_view macName, ConstBytes fileRecord, const ForkCopier& copyFork);

// A decoded file as a MacBinary file in an anonymous temporary file, with
// those creation and modification dates, positioned at its start; null
// when the system cannot make or fill one.
std::FILE* BinHexAsMacBinary(const BinHexFile& file, std::uint32_t created, std::uint32_t modified);

// The whole of an open PC file, read from its start.
std::vector<std::uint8_t> ReadFromStart(std::FILE* file);

}  // namespace tarvo
