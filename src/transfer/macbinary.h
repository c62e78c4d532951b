// MacBinary: a Macintosh file packed into one PC file as a 128-byte
// header, the data fork and the resource fork, each fork padded with zeros
// to a multiple of 128 bytes.
//
// Written as MacBinary II, which MacBinary I readers take as well
// (big-endian; bytes not listed are 0):
//   1  1  name length (1 to 31)        83  4  data fork logical length
//   2 63  name (Mac Roman), then zeros 87  4  resource fork logical length
//  65  4  file type                    91  4  creation date
//  69  4  creator                      95  4  modification date
//  73  1  Finder flags, high byte     101  1  Finder flags, low byte
//  75  4  Finder location             122  1  version, 129
//                                     123  1  version needed to read, 129
//                                     124  2  CRC-16 of bytes 0 to 123
// Byte 74 and byte 82 stay zero: MacBinary I readers check them.
//
// Read as MacBinary I, II or III. Every header has byte 0 and byte 74 zero
// and a name length of 1 to 63. A header whose CRC matches is II or III
// (III marks itself with 'mBIN' at 102): both Finder flag bytes count, and
// a secondary header (its length at 120) is skipped before the data fork.
// Without a matching CRC it is MacBinary I: byte 82 must be zero, and
// only the high byte of the Finder flags is known.
//
// Names: the written name is the catalog name without its leading spaces
// (a name of spaces only is kept whole), at most 31 characters. A header
// that claims a longer name is read with the name cut to its first 31
// characters. A name read goes into the catalog, so ':' and control
// characters in it become '_' (CleanMacName).
//
// Reading also refuses a header whose forks, as its lengths place them,
// would end past the end of the PC file: copying such a file would fill
// the forks with whatever follows. The last fork need not be padded.
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

// The fields of a header that are restored on the volume, and where the
// forks start.
struct MacBinaryInfo {
  std::string name;     // Mac Roman, 1 to 31 characters, no ':' or control character
  std::string type;     // 4 characters
  std::string creator;  // 4 characters
  std::uint16_t finderFlags = 0;  // MacBinary I: the high byte only
  std::uint32_t dataLength = 0;
  std::uint32_t resourceLength = 0;
  std::uint32_t creationDate = 0;
  std::uint32_t modificationDate = 0;
  std::uint64_t dataOffset = kMacBinaryHeaderSize;
  std::uint64_t resourceOffset = kMacBinaryHeaderSize;
};

enum class MacBinaryCheck {
  kAccepted,
  kNotMacBinary,  // too short for a header, or a header of no MacBinary version
  kForksPastEnd,  // the forks would end past the end of the file
};

// Checks a header against the size of the file that holds it and, when it
// is accepted, fills info.
MacBinaryCheck ParseMacBinaryHeader(ConstBytes header, std::uint64_t fileSize, MacBinaryInfo& info);
// Reads and checks the header at the start of an open PC file; an accepted
// file is left positioned at its data fork (dataOffset).
MacBinaryCheck ReadMacBinaryHeader(std::FILE* file, MacBinaryInfo& info);

}  // namespace tarvo
