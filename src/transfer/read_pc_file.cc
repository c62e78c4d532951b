#include <array>

#include "transfer/pc_file_reader.h"

namespace tarvo {

namespace {
// Ties go to the reader listed first.
const std::array<const PcFileReader*, 5> kReaders = {&kAppleSingleReader, &kAppleDoubleReader, &kBinHexReader,
                                                     &kMacBinaryReader, &kPlainFileReader};
}  // namespace

PcFileReading ReadPcFile(const PcFileProbe& probe) {
  std::array<int, kReaders.size()> bids{};
  for (std::size_t i = 0; i < kReaders.size(); ++i) bids[i] = kReaders[i]->bid(probe);
  std::optional<PassedPartner> passed;
  for (std::size_t round = 0; round < kReaders.size(); ++round) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < kReaders.size(); ++i) {
      if (bids[i] > bids[best]) best = i;
    }
    if (bids[best] <= 0) break;
    bids[best] = 0;
    PcFileReading reading = kReaders[best]->read(probe);
    if (reading.status == PcReadStatus::kGaveWay) {
      passed = reading.passedPartner;
      std::rewind(probe.file);
      continue;
    }
    if (!reading.passedPartner) reading.passedPartner = passed;
    return reading;
  }
  PcFileReading none;
  none.status = PcReadStatus::kUnreadable;
  none.passedPartner = passed;
  return none;
}

}  // namespace tarvo
