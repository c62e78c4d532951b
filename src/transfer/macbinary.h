// MacBinary: a Macintosh file packed into one PC file as a 128-byte
// header, the data fork and the resource fork, each fork padded with zeros
// to a multiple of 128 bytes.
//
// Written as MacBinary II with bytes 74 and 82 zero, so MacBinary I readers
// take it too; the name is the catalog name without leading spaces (kept
// whole when it is all spaces), at most 31 characters. Read as MacBinary I,
// II or III: a matching CRC means II or III (both Finder flag bytes, a
// secondary header skipped), else I (the high flag byte only). A name read
// is cut to 31 characters and cleaned for the catalog (CleanMacName). A
// header whose forks would end past the end of the file is refused, since
// the forks would take whatever follows; the last fork need not be padded.
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
