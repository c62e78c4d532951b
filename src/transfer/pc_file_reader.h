// Reading a PC file as a Macintosh file: one reader per format, each with
// a bid, as libarchive's format readers do. ReadPcFile asks every reader
// for its bid and lets the highest read the file:
//   AppleSingle  the file starts with its magic, whatever the copy mode;
//   AppleDouble  the file has a "._" partner (apple_double_places.h);
//   BinHex       the BinHex copy mode;
//   MacBinary    the MacBinary copy mode;
//   plain        always, lowest: the file is one fork.
// A reader that cannot use its format's extra file (a damaged AppleDouble
// partner) gives way to the next bid, and says why.
//
// Readers never show anything: the caller turns a refusal into words.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "transfer/mac_file_source.h"
#include "transfer/write_file.h"

namespace tarvo {

struct PartnerPlaces;
struct TypeCreatorTable;

// What the readers look at.
struct PcFileProbe {
  std::FILE* file = nullptr;  // open, at its start
  std::filesystem::path path;
  std::optional<PcFileFacts> facts;  // PcFileFactsOf(file)
  std::uint16_t modeFlags = 0;       // the settings' copy mode
  std::optional<std::string> typeCreator;  // a plain file's, instead of its extension's
  const TypeCreatorTable* typeCreators = nullptr;
  const PartnerPlaces* places = nullptr;
};

enum class PcReadStatus {
  kRead,
  kNotMacBinary,  // MacBinary asked for, and the header refused
  kRefused,       // a damaged BinHex or AppleSingle file: `problem` says why
  kUnreadable,    // the file, or the temporary file it is unpacked into, cannot be read or made
  kGaveWay,       // the reader left the file to the next bid (`passedPartner` says why)
};

// An AppleDouble partner that was not used.
struct PassedPartner {
  std::string name;  // the partner's file name (UTF-8)
  std::string_view problem;
};

struct PcFileReading {
  PcReadStatus status = PcReadStatus::kRead;
  MacFileSource source;  // when kRead: name, Finder information and forks
  std::string_view problem;
  std::optional<PassedPartner> passedPartner;
};

struct PcFileReader {
  int (*bid)(const PcFileProbe& probe);  // 0: not this reader's file
  PcFileReading (*read)(const PcFileProbe& probe);
};

extern const PcFileReader kAppleSingleReader;
extern const PcFileReader kAppleDoubleReader;
extern const PcFileReader kBinHexReader;
extern const PcFileReader kMacBinaryReader;
extern const PcFileReader kPlainFileReader;

PcFileReading ReadPcFile(const PcFileProbe& probe);

// A MacBinary stream the reader holds (an unpacked file), read as the
// MacBinary reader reads a PC file.
PcFileReading ReadHeldMacBinary(HeldPcFile stream);

// A stream taken as one fork of a file named macName, of that type and
// creator (8 characters; blanks fill a shorter one, none gives "TEXT????"),
// created at the minute of facts.modified and modified one second later.
MacFileSource PlainFileSource(std::FILE* stream, const PcFileFacts& facts, const std::string& macName,
                              const std::optional<std::string>& typeCreator, ForkChoice fork);

}  // namespace tarvo
