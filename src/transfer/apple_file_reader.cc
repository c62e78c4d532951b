// The AppleSingle and AppleDouble readers, whatever the copy mode: both
// forks, the name (AppleSingle), type, creator, Finder flags and dates
// (the PC file's when none are held); the file then goes on as a
// MacBinary file.
#include <array>

#include "base/type_creator.h"
#include "base/utf8.h"
#include "hfs/mac_date.h"
#include "transfer/apple_double_places.h"
#include "transfer/apple_single.h"
#include "transfer/copy_to_mac.h"
#include "transfer/pc_file_name.h"
#include "transfer/pc_file_reader.h"
#include "transfer/pc_file_system.h"

namespace tarvo {

namespace {

int BidAppleSingle(const PcFileProbe& probe) {
  std::array<std::uint8_t, 32> start{};
  const std::size_t length = std::fread(start.data(), 1, start.size(), probe.file);
  std::rewind(probe.file);
  return HasAppleMagic(ConstBytes(start).first(length), AppleFileKind::kSingle) ? 50 : 0;
}

int BidAppleDouble(const PcFileProbe& probe) {
  return probe.places != nullptr && AppleDoublePartner(*probe.places, probe.path.filename().string()) ? 40 : 0;
}

// pcName: the PC name the file's Mac name comes from.
PcFileReading Unpack(const PcFileProbe& probe, AppleFile& apple, const std::filesystem::path& pcName, bool single) {
  BinHexFile& contents = apple.contents;
  if (!apple.hasFinderInfo) {
    const std::string tc = TypeCreatorForPcName(*probe.typeCreators, Utf8ToDos(pcName.string()));
    contents.type = tc.substr(0, 4);
    contents.creator = tc.substr(4, 4);
  }
  // A pair keeps the Mac name it holds only while the PC name is the one
  // that name gives: a file renamed on the PC comes back as renamed.
  if (!single && LongPcFileName(contents.name, contents.type + contents.creator, *probe.typeCreators) != pcName) {
    contents.name.clear();
  }
  if (contents.name.empty()) contents.name = MacNameForPcName(pcName.string());
  const std::uint32_t pcDate = probe.facts ? PcTimeToMacDate(probe.facts->modified) : MacNow();
  HeldPcFile unpacked(BinHexAsMacBinary(contents, apple.created.value_or(pcDate), apple.modified.value_or(pcDate)));
  if (unpacked == nullptr) {
    PcFileReading reading;
    reading.status = PcReadStatus::kUnreadable;
    return reading;
  }
  return ReadHeldMacBinary(std::move(unpacked));
}

PcFileReading ReadAppleSingle(const PcFileProbe& probe) {
  AppleFile apple;
  const AppleFileCheck check = ParseAppleFile(ReadFromStart(probe.file), AppleFileKind::kSingle, apple);
  if (check != AppleFileCheck::kRead) {
    PcFileReading reading;
    reading.status = PcReadStatus::kRefused;
    reading.problem = AppleFileProblem(check);
    return reading;
  }
  std::filesystem::path pcName = probe.path.filename();
  if (pcName.extension() == ".as") pcName = pcName.stem();
  return Unpack(probe, apple, pcName, true);
}

// A damaged partner leaves the file to the next reader.
PcFileReading ReadAppleDouble(const PcFileProbe& probe) {
  const std::optional<std::filesystem::path> partner =
      AppleDoublePartner(*probe.places, probe.path.filename().string());
  AppleFile apple;
  std::FILE* partnerFile = partner ? OpenPcFileToRead(*partner) : nullptr;
  const AppleFileCheck check = partnerFile == nullptr
                                   ? AppleFileCheck::kBadMagic
                                   : ParseAppleFile(ReadFromStart(partnerFile), AppleFileKind::kDouble, apple);
  if (partnerFile != nullptr) std::fclose(partnerFile);
  if (check != AppleFileCheck::kRead) {
    PcFileReading reading;
    reading.status = PcReadStatus::kGaveWay;
    reading.passedPartner = PassedPartner{partner ? partner->filename().string() : std::string(),
                                          AppleFileProblem(check)};
    return reading;
  }
  apple.contents.dataFork = ReadFromStart(probe.file);
  return Unpack(probe, apple, probe.path.filename(), false);
}

}  // namespace

const PcFileReader kAppleSingleReader = {BidAppleSingle, ReadAppleSingle};
const PcFileReader kAppleDoubleReader = {BidAppleDouble, ReadAppleDouble};

}  // namespace tarvo
