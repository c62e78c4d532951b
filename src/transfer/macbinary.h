// MacBinary (first version, no CRC): a Macintosh file packed into one PC
// file as a 128-byte header, the data fork, zeros up to the next multiple
// of 128 and the resource fork.
//
// Header layout (big-endian):
//   0  1  0                            83  4  data fork logical length
//   1  1  name length (1 to 31)        87  4  resource fork logical length
//   2 63  name (Mac Roman), then zeros 91  4  creation date
//  65  4  file type                    95  4  modification date
//  69  4  creator                      99 29  0
//  73  2  Finder flags
//  75  4  Finder location
//  79  4  0
// The resource fork starts at 128 + the data fork length rounded up to a
// multiple of 128. When the resource fork is empty the data fork ends the
// file and no padding follows it.
//
// Names: the written name is the catalog name without its leading spaces
// (a name of spaces only is kept whole), at most 31 characters. A header
// that claims a longer name is read with the name cut to its first 31
// characters; the name is never read beyond them, so it stays inside the
// 63-byte field whatever the length byte says. A name read goes into the
// catalog, so ':' and control characters in it become '_' (CleanMacName).
//
// Reading refuses a header whose byte 0 is not 0 or byte 1 is 0, and also
// one whose forks, as its lengths place them, would end past the end of the
// PC file: copying such a file would fill the forks with whatever follows.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "base/big_endian.h"

namespace tarvo {

inline constexpr std::size_t kMacBinaryHeaderSize = 128;
using MacBinaryHeaderBytes = std::array<std::uint8_t, kMacBinaryHeaderSize>;

// The header for a file of the catalog: its key's name (Mac Roman) and its
// file record's data (type byte first, 102 bytes; a shorter span throws
// std::out_of_range, as every field access does).
MacBinaryHeaderBytes MakeMacBinaryHeader(std::string_view macName, ConstBytes fileRecord);

// Copies the first byteCount bytes of a fork, given by its first extent
// record (12 bytes) and the file ID, to the PC file at its current
// position; forkType is 0 (data) or 255 (resource). True when all bytes
// were written. In the program this is the HFS engine's fork copy.
using ForkCopier = std::function<bool(ConstBytes extents, std::FILE* file, std::uint32_t fileId,
                                      std::uint32_t byteCount, std::uint8_t forkType)>;

// Writes the header and both forks to the open PC file at its current
// position. False as soon as a write or a fork copy fails. The caller sets
// the file's date and closes it.
bool WriteMacBinary(std::FILE* file, std::string_view macName, ConstBytes fileRecord, const ForkCopier& copyFork);

// The fields of a header that are restored on the volume. The data fork
// starts at offset 128.
struct MacBinaryInfo {
  std::string name;     // Mac Roman, 1 to 31 characters, no ':' or control character
  std::string type;     // 4 characters
  std::string creator;  // 4 characters
  std::uint32_t dataLength = 0;
  std::uint32_t resourceLength = 0;
  std::uint32_t creationDate = 0;
  std::uint32_t modificationDate = 0;
  std::uint64_t resourceOffset = kMacBinaryHeaderSize;
};

enum class MacBinaryCheck {
  kAccepted,
  kNotMacBinary,  // too short for a header, byte 0 not 0 or byte 1 equal to 0
  kForksPastEnd,  // the forks would end past the end of the file
};

// Checks a header against the size of the file that holds it and, when it
// is accepted, fills info.
MacBinaryCheck ParseMacBinaryHeader(ConstBytes header, std::uint64_t fileSize, MacBinaryInfo& info);
// Reads and checks the header at the start of an open PC file; the file is
// left positioned at the data fork (offset 128).
MacBinaryCheck ReadMacBinaryHeader(std::FILE* file, MacBinaryInfo& info);

}  // namespace tarvo
