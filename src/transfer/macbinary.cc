#include "transfer/macbinary.h"

#include <sys/types.h>

#include <algorithm>
#include <utility>

#include "base/charset.h"
#include "hfs/catalog_record.h"
#include "hfs/work_file.h"
#include "transfer/crc16.h"

namespace tarvo {

namespace {

// Header offsets.
constexpr std::size_t kNameLength = 1;
constexpr std::size_t kName = 2;
constexpr std::size_t kType = 65;
constexpr std::size_t kCreator = 69;
constexpr std::size_t kFlagsHigh = 73;
constexpr std::size_t kZero74 = 74;
constexpr std::size_t kLocation = 75;
constexpr std::size_t kZero82 = 82;
constexpr std::size_t kDataLength = 83;
constexpr std::size_t kResourceLength = 87;
constexpr std::size_t kCreationDate = 91;
constexpr std::size_t kModificationDate = 95;
constexpr std::size_t kFlagsLow = 101;
constexpr std::size_t kSecondaryHeaderLength = 120;
constexpr std::size_t kVersion = 122;
constexpr std::size_t kMinimumVersion = 123;
constexpr std::size_t kCrc = 124;
constexpr std::size_t kMaxHeaderNameLength = 63;
constexpr std::uint8_t kVersionII = 129;

std::string_view NameToWrite(std::string_view macName);
std::uint64_t RoundUpTo128(std::uint64_t n) { return (n + 127) / 128 * 128; }
bool WriteAll(std::FILE* file, ConstBytes bytes);
bool PadTo128(std::FILE* file, std::uint32_t written);
std::string Characters(ConstBytes header, std::size_t offset, std::size_t count);

}  // namespace

MacBinaryHeaderBytes MakeMacBinaryHeader(std::string_view macName, ConstBytes fileRecord) {
  MacBinaryHeaderBytes header{};
  std::string_view name = NameToWrite(macName);
  PutU8(header, kNameLength, static_cast<std::uint8_t>(name.size()));
  for (std::size_t i = 0; i < name.size(); ++i) PutU8(header, kName + i, static_cast<std::uint8_t>(name[i]));

  PutU32(header, kType, GetU32(fileRecord, filrec::fdType));
  PutU32(header, kCreator, GetU32(fileRecord, filrec::fdCreator));
  const std::uint16_t flags = GetU16(fileRecord, filrec::fdFlags);
  PutU8(header, kFlagsHigh, static_cast<std::uint8_t>(flags >> 8));
  PutU8(header, kFlagsLow, static_cast<std::uint8_t>(flags));
  PutU32(header, kLocation, GetU32(fileRecord, filrec::fdLocation));
  PutU32(header, kDataLength, GetU32(fileRecord, filrec::filLgLen));
  PutU32(header, kResourceLength, GetU32(fileRecord, filrec::filRLgLen));
  PutU32(header, kCreationDate, GetU32(fileRecord, filrec::filCrDat));
  PutU32(header, kModificationDate, GetU32(fileRecord, filrec::filMdDat));
  PutU8(header, kVersion, kVersionII);
  PutU8(header, kMinimumVersion, kVersionII);
  PutU16(header, kCrc, Crc16(ConstBytes(header).first(kCrc)));
  return header;
}

bool WriteMacBinary(std::FILE* file, std::string_view macName, ConstBytes fileRecord, const ForkCopier& copyFork) {
  CheckRange(fileRecord.size(), 0, filrec::kSize);  // the extent records are handed out as spans
  MacBinaryHeaderBytes header = MakeMacBinaryHeader(macName, fileRecord);
  if (!WriteAll(file, header)) return false;

  const std::uint32_t fileId = GetU32(fileRecord, filrec::filFlNum);
  for (const std::uint8_t forkType : {kDataFork, kResourceFork}) {
    const bool data = forkType == kDataFork;
    const std::uint32_t length = GetU32(fileRecord, data ? filrec::filLgLen : filrec::filRLgLen);
    const ConstBytes extents = fileRecord.subspan(data ? filrec::filExtRec : filrec::filRExtRec, kExtentRecordSize);
    if (length != 0 && !(copyFork(extents, file, fileId, length, forkType) && PadTo128(file, length))) return false;
  }
  return true;
}

MacBinaryCheck ParseMacBinaryHeader(ConstBytes header, std::uint64_t fileSize, MacBinaryInfo& info) {
  if (header.size() < kMacBinaryHeaderSize || GetU8(header, 0) != 0 || GetU8(header, kZero74) != 0 ||
      GetU8(header, kNameLength) == 0 || GetU8(header, kNameLength) > kMaxHeaderNameLength) {
    return MacBinaryCheck::kNotMacBinary;
  }
  // II and III prove themselves by their CRC; I has only its zero bytes.
  const bool withCrc = Crc16(header.first(kCrc)) == GetU16(header, kCrc);
  if (!withCrc && GetU8(header, kZero82) != 0) return MacBinaryCheck::kNotMacBinary;
  MacBinaryInfo read;
  std::size_t nameLength = std::min<std::size_t>(GetU8(header, kNameLength), kMaxNameLength);
  read.name = CleanMacName(Characters(header, kName, nameLength));
  read.type = Characters(header, kType, 4);
  read.creator = Characters(header, kCreator, 4);
  read.finderFlags = static_cast<std::uint16_t>(GetU8(header, kFlagsHigh) << 8 |
                                                (withCrc ? GetU8(header, kFlagsLow) : 0));
  read.dataLength = GetU32(header, kDataLength);
  read.resourceLength = GetU32(header, kResourceLength);
  read.creationDate = GetU32(header, kCreationDate);
  read.modificationDate = GetU32(header, kModificationDate);
  if (withCrc) read.dataOffset += RoundUpTo128(GetU16(header, kSecondaryHeaderLength));
  read.resourceOffset = read.dataOffset + RoundUpTo128(read.dataLength);

  std::uint64_t end = read.resourceLength == 0 ? read.dataOffset + read.dataLength
                                               : read.resourceOffset + read.resourceLength;
  if (end > fileSize) return MacBinaryCheck::kForksPastEnd;
  info = std::move(read);
  return MacBinaryCheck::kAccepted;
}

MacBinaryCheck ReadMacBinaryHeader(std::FILE* file, MacBinaryInfo& info) {
  MacBinaryHeaderBytes header{};
  if (fseeko(file, 0, SEEK_END) != 0) return MacBinaryCheck::kNotMacBinary;
  off_t size = ftello(file);
  if (size < 0 || fseeko(file, 0, SEEK_SET) != 0) return MacBinaryCheck::kNotMacBinary;
  if (std::fread(header.data(), 1, header.size(), file) != header.size()) return MacBinaryCheck::kNotMacBinary;
  const MacBinaryCheck check = ParseMacBinaryHeader(header, static_cast<std::uint64_t>(size), info);
  if (check == MacBinaryCheck::kAccepted && fseeko(file, static_cast<off_t>(info.dataOffset), SEEK_SET) != 0) {
    return MacBinaryCheck::kNotMacBinary;
  }
  return check;
}

namespace {

std::string_view NameToWrite(std::string_view macName) {
  std::size_t first = macName.find_first_not_of(' ');
  if (first != std::string_view::npos) macName.remove_prefix(first);
  return macName.substr(0, kMaxNameLength);
}

bool WriteAll(std::FILE* file, ConstBytes bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

// Zeros after a fork of `written` bytes, up to the next multiple of 128.
bool PadTo128(std::FILE* file, std::uint32_t written) {
  static constexpr std::array<std::uint8_t, 128> kZeros{};
  return WriteAll(file, ConstBytes(kZeros).first(RoundUpTo128(written) - written));
}

std::string Characters(ConstBytes header, std::size_t offset, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text.push_back(static_cast<char>(GetU8(header, offset + i)));
  return text;
}

}  // namespace

}  // namespace tarvo
