// The MacBinary reader: the copy mode says the file is MacBinary; its
// header gives the name, the Finder information and where the forks lie.
#include "base/program_settings.h"
#include "transfer/macbinary.h"
#include "transfer/pc_file_reader.h"

namespace tarvo {

namespace {

int BidMacBinary(const PcFileProbe& probe) { return (probe.modeFlags & kCopyMacBinary) != 0 ? 20 : 0; }

PcFileReading ReadMacBinaryStream(std::FILE* stream) {
  PcFileReading reading;
  MacBinaryInfo header;
  if (ReadMacBinaryHeader(stream, header) != MacBinaryCheck::kAccepted) {
    reading.status = PcReadStatus::kNotMacBinary;
    return reading;
  }
  MacFileSource& source = reading.source;
  source.stream = stream;
  source.name = header.name;
  source.type = header.type;
  source.creator = header.creator;
  source.finderFlags = header.finderFlags;
  source.created = header.creationDate;
  source.modified = header.modificationDate;
  source.data = {header.dataOffset, header.dataLength};
  source.resource = {header.resourceOffset, header.resourceLength};
  return reading;
}

PcFileReading ReadMacBinary(const PcFileProbe& probe) { return ReadMacBinaryStream(probe.file); }

}  // namespace

const PcFileReader kMacBinaryReader = {BidMacBinary, ReadMacBinary};

PcFileReading ReadHeldMacBinary(HeldPcFile stream) {
  PcFileReading reading = ReadMacBinaryStream(stream.get());
  if (reading.status == PcReadStatus::kRead) reading.source.held = std::move(stream);
  return reading;
}

}  // namespace tarvo
