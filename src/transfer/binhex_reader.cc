// The BinHex reader: the copy mode says the file is BinHex. A file whose
// CRCs do not match or that is cut short is refused; the decoded file is
// dated as the PC file and goes on as a MacBinary file.
#include "base/program_settings.h"
#include "hfs/mac_date.h"
#include "transfer/binhex.h"
#include "transfer/pc_file_reader.h"

namespace tarvo {

namespace {

// Above MacBinary: both modes set unpack BinHex.
int BidBinHex(const PcFileProbe& probe) { return (probe.modeFlags & kCopyBinHex) != 0 ? 30 : 0; }

PcFileReading ReadBinHexFile(const PcFileProbe& probe) {
  BinHexFile decoded;
  const BinHexCheck check = probe.facts ? ReadBinHex(probe.file, decoded) : BinHexCheck::kTruncated;
  PcFileReading reading;
  if (check != BinHexCheck::kDecoded) {
    reading.status = PcReadStatus::kRefused;
    reading.problem = BinHexProblem(check);
    return reading;
  }
  const std::uint32_t date = PcTimeToMacDate(probe.facts->modified);
  HeldPcFile unpacked(BinHexAsMacBinary(decoded, date, date));
  if (unpacked == nullptr) {
    reading.status = PcReadStatus::kUnreadable;
    return reading;
  }
  return ReadHeldMacBinary(std::move(unpacked));
}

}  // namespace

const PcFileReader kBinHexReader = {BidBinHex, ReadBinHexFile};

}  // namespace tarvo
