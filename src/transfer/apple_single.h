// AppleSingle and AppleDouble, version 2 (RFC 1740): a Macintosh file as
// one PC file holding entries, or as its plain data fork with a "._name"
// file beside it holding the rest. Written with the entries name, dates,
// Finder info and resource fork (AppleSingle also the data fork);
// AppleDouble's filler reads "Mac OS X", as macOS writes it.
//
// Reading takes version 1 as well and skips unknown entry ids; it refuses,
// without a partial result, what AppleFileCheck names.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string_view>

#include "base/big_endian.h"
#include "transfer/binhex.h"
#include "transfer/macbinary.h"

namespace tarvo {

inline constexpr std::size_t kMaxAppleEntries = 64;
// An AppleDouble file is named as its plain file with this before the name.
inline constexpr std::string_view kAppleDoublePrefix = "._";

enum class AppleFileKind { kSingle, kDouble };

// What an AppleSingle or AppleDouble file holds.
struct AppleFile {
  BinHexFile contents;  // name empty when the file holds none
  bool hasFinderInfo = false;
  std::optional<std::uint32_t> created;   // Macintosh dates
  std::optional<std::uint32_t> modified;
};

enum class AppleFileCheck {
  kRead,
  kBadMagic,        // not of the kind asked for, or too short for a header
  kTooManyEntries,
  kEntryPastEnd,
};

// Whether the bytes start as a file of that kind.
bool HasAppleMagic(ConstBytes bytes, AppleFileKind kind);
// The entries of a whole file; `file` is filled only when kRead.
AppleFileCheck ParseAppleFile(ConstBytes bytes, AppleFileKind kind, AppleFile& file);
// Why a file was refused, for the user ("" for kRead).
std::string_view AppleFileProblem(AppleFileCheck check);

// Writes a file of the catalog (its key's name and its file record's data,
// 102 bytes) to the open PC file: as AppleSingle, or as the "._" file of
// AppleDouble, forks taken through copyFork. False when a fork copy or a
// write fails.
bool WriteAppleFile(std::FILE* file, AppleFileKind kind, std::string_view macName, ConstBytes fileRecord,
                    const ForkCopier& copyFork);

}  // namespace tarvo
