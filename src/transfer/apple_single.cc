#include "transfer/apple_single.h"

#include <algorithm>
#include <array>
#include <ctime>
#include <vector>

#include "base/charset.h"
#include "hfs/catalog_record.h"
#include "hfs/mac_date.h"
#include "hfs/work_file.h"

namespace tarvo {

namespace {

constexpr std::uint32_t kSingleMagic = 0x00051600;
constexpr std::uint32_t kDoubleMagic = 0x00051607;
constexpr std::uint32_t kVersion1 = 0x00010000;
constexpr std::uint32_t kVersion2 = 0x00020000;
constexpr std::string_view kMacOsFiller = "Mac OS X        ";
constexpr std::size_t kFiller = 8;
constexpr std::size_t kEntryCount = 24;
constexpr std::size_t kHeaderSize = 26;
constexpr std::size_t kDescriptorSize = 12;

constexpr std::uint32_t kDataEntry = 1;
constexpr std::uint32_t kResourceEntry = 2;
constexpr std::uint32_t kNameEntry = 3;
constexpr std::uint32_t kDatesEntry = 8;
constexpr std::uint32_t kFinderInfoEntry = 9;
constexpr std::size_t kDatesSize = 16;
constexpr std::size_t kFinderInfoSize = 32;

// AppleSingle dates count from 2000-01-01 GMT.
constexpr std::int64_t kUnixSeconds2000 = 946684800;
constexpr std::uint32_t kUnknownDate = 0x80000000;

std::uint32_t MagicOf(AppleFileKind kind) { return kind == AppleFileKind::kSingle ? kSingleMagic : kDoubleMagic; }

std::uint32_t AppleDate(std::uint32_t macDate) {
  if (macDate == 0) return kUnknownDate;
  return static_cast<std::uint32_t>(static_cast<std::int32_t>(MacDateToPcTime(macDate) - kUnixSeconds2000));
}

std::optional<std::uint32_t> MacDate(std::uint32_t appleDate) {
  if (appleDate == kUnknownDate) return std::nullopt;
  return PcTimeToMacDate(static_cast<std::time_t>(static_cast<std::int32_t>(appleDate) + kUnixSeconds2000));
}

std::string Characters(ConstBytes bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace

bool HasAppleMagic(ConstBytes bytes, AppleFileKind kind) {
  return bytes.size() >= kHeaderSize && GetU32(bytes, 0) == MagicOf(kind) &&
         (GetU32(bytes, 4) == kVersion1 || GetU32(bytes, 4) == kVersion2);
}

AppleFileCheck ParseAppleFile(ConstBytes bytes, AppleFileKind kind, AppleFile& file) {
  if (!HasAppleMagic(bytes, kind)) return AppleFileCheck::kBadMagic;
  const std::size_t count = GetU16(bytes, kEntryCount);
  if (count > kMaxAppleEntries) return AppleFileCheck::kTooManyEntries;
  if (kHeaderSize + count * kDescriptorSize > bytes.size()) return AppleFileCheck::kEntryPastEnd;
  AppleFile read;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = kHeaderSize + i * kDescriptorSize;
    const std::uint64_t offset = GetU32(bytes, at + 4), length = GetU32(bytes, at + 8);
    if (offset + length > bytes.size()) return AppleFileCheck::kEntryPastEnd;
    const ConstBytes entry = bytes.subspan(offset, length);
    switch (GetU32(bytes, at)) {
      case kDataEntry: read.contents.dataFork.assign(entry.begin(), entry.end()); break;
      case kResourceEntry: read.contents.resourceFork.assign(entry.begin(), entry.end()); break;
      case kNameEntry:
        read.contents.name = CleanMacName(Characters(entry.first(std::min<std::size_t>(length, kMaxNameLength))));
        break;
      case kDatesEntry:
        if (length < kDatesSize) break;
        read.created = MacDate(GetU32(entry, 0));
        read.modified = MacDate(GetU32(entry, 4));
        break;
      case kFinderInfoEntry:
        if (length < filrec::fdLocation - filrec::fdType) break;
        read.hasFinderInfo = true;
        read.contents.type = Characters(entry.first(4));
        read.contents.creator = Characters(entry.subspan(4, 4));
        read.contents.finderFlags = GetU16(entry, 8);
        break;
      default: break;  // entries this copy has no place for
    }
  }
  file = std::move(read);
  return AppleFileCheck::kRead;
}

std::string_view AppleFileProblem(AppleFileCheck check) {
  switch (check) {
    case AppleFileCheck::kRead: return "";
    case AppleFileCheck::kBadMagic: return "it is no AppleSingle or AppleDouble file";
    case AppleFileCheck::kTooManyEntries: return "it claims too many entries";
    case AppleFileCheck::kEntryPastEnd: return "its entries run past its end";
  }
  return "";
}

bool WriteAppleFile(std::FILE* file, AppleFileKind kind, std::string_view macName, ConstBytes fileRecord,
                    const ForkCopier& copyFork) {
  CheckRange(fileRecord.size(), 0, filrec::kSize);
  const bool single = kind == AppleFileKind::kSingle;
  const std::uint32_t dataLength = GetU32(fileRecord, filrec::filLgLen);
  const std::uint32_t resourceLength = GetU32(fileRecord, filrec::filRLgLen);
  struct Entry {
    std::uint32_t id;
    std::uint32_t length;
  };
  std::vector<Entry> entries;
  entries.push_back({kNameEntry, static_cast<std::uint32_t>(macName.size())});
  entries.push_back({kDatesEntry, kDatesSize});
  entries.push_back({kFinderInfoEntry, kFinderInfoSize});
  entries.push_back({kResourceEntry, resourceLength});
  if (single) entries.push_back({kDataEntry, dataLength});

  // Header, descriptors and the small entries; the forks follow them.
  std::vector<std::uint8_t> head(kHeaderSize + entries.size() * kDescriptorSize);
  PutU32(head, 0, MagicOf(kind));
  PutU32(head, 4, kVersion2);
  if (!single) std::copy(kMacOsFiller.begin(), kMacOsFiller.end(), head.begin() + kFiller);
  PutU16(head, kEntryCount, static_cast<std::uint16_t>(entries.size()));
  std::uint64_t offset = head.size();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::size_t at = kHeaderSize + i * kDescriptorSize;
    PutU32(head, at, entries[i].id);
    PutU32(head, at + 4, static_cast<std::uint32_t>(offset));
    PutU32(head, at + 8, entries[i].length);
    offset += entries[i].length;
  }
  head.insert(head.end(), macName.begin(), macName.end());
  std::array<std::uint8_t, kDatesSize> dates{};
  PutU32(dates, 0, AppleDate(GetU32(fileRecord, filrec::filCrDat)));
  PutU32(dates, 4, AppleDate(GetU32(fileRecord, filrec::filMdDat)));
  PutU32(dates, 8, AppleDate(GetU32(fileRecord, filrec::filBkDat)));
  PutU32(dates, 12, AppleDate(GetU32(fileRecord, filrec::filMdDat)));
  head.insert(head.end(), dates.begin(), dates.end());
  const ConstBytes finderInfo = fileRecord.subspan(filrec::filUsrWds, kFinderInfoSize / 2);
  const ConstBytes extendedInfo = fileRecord.subspan(filrec::filFndrInfo, kFinderInfoSize / 2);
  head.insert(head.end(), finderInfo.begin(), finderInfo.end());
  head.insert(head.end(), extendedInfo.begin(), extendedInfo.end());
  if (std::fwrite(head.data(), 1, head.size(), file) != head.size()) return false;

  const std::uint32_t fileId = GetU32(fileRecord, filrec::filFlNum);
  if (resourceLength != 0 &&
      !copyFork(fileRecord.subspan(filrec::filRExtRec, kExtentRecordSize), file, fileId, resourceLength,
                kResourceFork)) {
    return false;
  }
  return !single || dataLength == 0 ||
         copyFork(fileRecord.subspan(filrec::filExtRec, kExtentRecordSize), file, fileId, dataLength, kDataFork);
}

}  // namespace tarvo
