#include "transfer/macbinary.h"

#include <sys/types.h>

#include <algorithm>
#include <utility>

#include "hfs/catalog_record.h"
#include "hfs/work_file.h"
#include "transfer/charset.h"

namespace tarvo {

namespace {

// Header offsets.
constexpr std::size_t kNameLength = 1;
constexpr std::size_t kName = 2;
constexpr std::size_t kFinderInfo = 65;  // type, creator, flags, location: 14 bytes
constexpr std::size_t kType = 65;
constexpr std::size_t kCreator = 69;
constexpr std::size_t kDataLength = 83;
constexpr std::size_t kResourceLength = 87;
constexpr std::size_t kCreationDate = 91;
constexpr std::size_t kModificationDate = 95;

std::string_view NameToWrite(std::string_view macName);
std::uint64_t RoundUpTo128(std::uint64_t n) { return (n + 127) / 128 * 128; }
bool WriteAll(std::FILE* file, ConstBytes bytes);
std::string Characters(ConstBytes header, std::size_t offset, std::size_t count);

}  // namespace

MacBinaryHeaderBytes MakeMacBinaryHeader(std::string_view macName, ConstBytes fileRecord) {
  MacBinaryHeaderBytes header{};
  std::string_view name = NameToWrite(macName);
  PutU8(header, kNameLength, static_cast<std::uint8_t>(name.size()));
  for (std::size_t i = 0; i < name.size(); ++i) PutU8(header, kName + i, static_cast<std::uint8_t>(name[i]));

  // Type, creator (two u32), Finder flags (u16), Finder location (u32).
  PutU32(header, kFinderInfo, GetU32(fileRecord, filrec::fdType));
  PutU32(header, kFinderInfo + 4, GetU32(fileRecord, filrec::fdCreator));
  PutU16(header, kFinderInfo + 8, GetU16(fileRecord, filrec::fdFlags));
  PutU32(header, kFinderInfo + 10, GetU32(fileRecord, filrec::fdLocation));
  PutU32(header, kDataLength, GetU32(fileRecord, filrec::filLgLen));
  PutU32(header, kResourceLength, GetU32(fileRecord, filrec::filRLgLen));
  PutU32(header, kCreationDate, GetU32(fileRecord, filrec::filCrDat));
  PutU32(header, kModificationDate, GetU32(fileRecord, filrec::filMdDat));
  return header;
}

bool WriteMacBinary(std::FILE* file, std::string_view macName, ConstBytes fileRecord, const ForkCopier& copyFork) {
  CheckRange(fileRecord.size(), 0, filrec::kSize);  // the extent records are handed out as spans
  MacBinaryHeaderBytes header = MakeMacBinaryHeader(macName, fileRecord);
  if (!WriteAll(file, header)) return false;

  std::uint32_t fileId = GetU32(fileRecord, filrec::filFlNum);
  std::uint32_t dataLength = GetU32(fileRecord, filrec::filLgLen);
  std::uint32_t resourceLength = GetU32(fileRecord, filrec::filRLgLen);
  if (dataLength != 0 &&
      !copyFork(fileRecord.subspan(filrec::filExtRec, kExtentRecordSize), file, fileId, dataLength, kDataFork)) {
    return false;
  }
  if (resourceLength == 0) return true;  // the data fork ends the file, unpadded

  std::array<std::uint8_t, 128> zeros{};
  std::size_t padding = RoundUpTo128(dataLength) - dataLength;
  if (!WriteAll(file, ConstBytes(zeros).first(padding))) return false;
  return copyFork(fileRecord.subspan(filrec::filRExtRec, kExtentRecordSize), file, fileId, resourceLength,
                  kResourceFork);
}

MacBinaryCheck ParseMacBinaryHeader(ConstBytes header, std::uint64_t fileSize, MacBinaryInfo& info) {
  if (header.size() < kMacBinaryHeaderSize || GetU8(header, 0) != 0 || GetU8(header, kNameLength) == 0) {
    return MacBinaryCheck::kNotMacBinary;
  }
  MacBinaryInfo read;
  std::size_t nameLength = std::min<std::size_t>(GetU8(header, kNameLength), kMaxNameLength);
  read.name = CleanMacName(Characters(header, kName, nameLength));
  read.type = Characters(header, kType, 4);
  read.creator = Characters(header, kCreator, 4);
  read.dataLength = GetU32(header, kDataLength);
  read.resourceLength = GetU32(header, kResourceLength);
  read.creationDate = GetU32(header, kCreationDate);
  read.modificationDate = GetU32(header, kModificationDate);
  read.resourceOffset = kMacBinaryHeaderSize + RoundUpTo128(read.dataLength);

  std::uint64_t end = read.resourceLength == 0 ? kMacBinaryHeaderSize + std::uint64_t{read.dataLength}
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
  return ParseMacBinaryHeader(header, static_cast<std::uint64_t>(size), info);
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

std::string Characters(ConstBytes header, std::size_t offset, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text.push_back(static_cast<char>(GetU8(header, offset + i)));
  return text;
}

}  // namespace

}  // namespace tarvo
