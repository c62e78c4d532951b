#include "transfer/binhex.h"

#include <algorithm>
#include <array>
#include <optional>

#include "base/charset.h"
#include "hfs/catalog_record.h"
#include "hfs/work_file.h"
#include "transfer/crc16.h"

namespace tarvo {

namespace {

constexpr std::string_view kBinHexLine = "(This file must be converted with BinHex 4.0)";
constexpr std::string_view kBinHexLineStart = "(This file must be converted with BinHex";
constexpr std::string_view kAlphabet = "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";
constexpr std::size_t kLineLength = 64;
constexpr std::uint8_t kRunMarker = 0x90;
constexpr std::size_t kMaxRun = 255;
constexpr std::size_t kMaxHeaderNameLength = 63;
constexpr std::size_t kHeaderTail = 1 + 4 + 4 + 2 + 4 + 4;  // version to resource length

void PutCrc(std::vector<std::uint8_t>& out, ConstBytes bytes);
std::vector<std::uint8_t> RunLengthEncode(ConstBytes bytes);
std::string SixBitEncode(ConstBytes bytes);
BinHexCheck SixBitDecode(std::string_view text, std::vector<std::uint8_t>& bytes);

// The run-length decoding of the six-bit decoded stream, a byte at a time.
class RunLengthReader {
 public:
  explicit RunLengthReader(ConstBytes packed) : packed_(packed) {}
  // Appends count bytes; false when the stream ends first.
  bool Read(std::size_t count, std::vector<std::uint8_t>& out);

 private:
  std::optional<std::uint8_t> Next();

  ConstBytes packed_;
  std::size_t pos_ = 0;
  std::uint8_t last_ = 0;
  std::size_t repeats_ = 0;
};

}  // namespace

std::string EncodeBinHex(const BinHexFile& file) {
  const std::string name = file.name.substr(0, kMaxNameLength);
  std::vector<std::uint8_t> plain;
  plain.push_back(static_cast<std::uint8_t>(name.size()));
  plain.insert(plain.end(), name.begin(), name.end());
  std::array<std::uint8_t, kHeaderTail> tail{};
  for (std::size_t i = 0; i < 4; ++i) {
    PutU8(tail, 1 + i, static_cast<std::uint8_t>(i < file.type.size() ? file.type[i] : ' '));
    PutU8(tail, 5 + i, static_cast<std::uint8_t>(i < file.creator.size() ? file.creator[i] : ' '));
  }
  PutU16(tail, 9, file.finderFlags);
  PutU32(tail, 11, static_cast<std::uint32_t>(file.dataFork.size()));
  PutU32(tail, 15, static_cast<std::uint32_t>(file.resourceFork.size()));
  plain.insert(plain.end(), tail.begin(), tail.end());
  PutCrc(plain, plain);
  for (const std::vector<std::uint8_t>* fork : {&file.dataFork, &file.resourceFork}) {
    plain.insert(plain.end(), fork->begin(), fork->end());
    PutCrc(plain, *fork);
  }
  return std::string(kBinHexLine) + "\n" + SixBitEncode(RunLengthEncode(plain));
}

BinHexCheck DecodeBinHex(std::string_view text, BinHexFile& file) {
  const std::size_t line = text.find(kBinHexLineStart);
  if (line == std::string_view::npos) return BinHexCheck::kNoBinHexLine;
  const std::size_t lineEnd = text.find_first_of("\r\n", line);
  const std::size_t open = lineEnd == std::string_view::npos ? lineEnd : text.find(':', lineEnd);
  if (open == std::string_view::npos) return BinHexCheck::kTruncated;
  const std::size_t close = text.find(':', open + 1);
  if (close == std::string_view::npos) return BinHexCheck::kTruncated;

  std::vector<std::uint8_t> packed;
  const BinHexCheck decoded = SixBitDecode(text.substr(open + 1, close - open - 1), packed);
  if (decoded != BinHexCheck::kDecoded) return decoded;
  RunLengthReader reader(packed);
  std::vector<std::uint8_t> header;
  if (!reader.Read(1, header)) return BinHexCheck::kTruncated;
  const std::size_t nameLength = GetU8(header, 0);
  if (nameLength == 0 || nameLength > kMaxHeaderNameLength) return BinHexCheck::kBadHeader;
  if (!reader.Read(nameLength + kHeaderTail + 2, header)) return BinHexCheck::kTruncated;
  const std::size_t crcAt = 1 + nameLength + kHeaderTail;
  if (Crc16(ConstBytes(header).first(crcAt)) != GetU16(header, crcAt)) return BinHexCheck::kBadHeaderCrc;

  BinHexFile read;
  const std::size_t tail = 1 + nameLength;
  read.name = CleanMacName(std::string(header.begin() + 1, header.begin() + 1 + std::min(nameLength, kMaxNameLength)));
  read.type.assign(header.begin() + tail + 1, header.begin() + tail + 5);
  read.creator.assign(header.begin() + tail + 5, header.begin() + tail + 9);
  read.finderFlags = GetU16(header, tail + 9);
  const BinHexCheck forkChecks[] = {BinHexCheck::kBadDataCrc, BinHexCheck::kBadResourceCrc};
  for (int i = 0; i < 2; ++i) {
    std::vector<std::uint8_t>& fork = i == 0 ? read.dataFork : read.resourceFork;
    const std::uint32_t length = GetU32(header, tail + (i == 0 ? 11 : 15));
    std::vector<std::uint8_t> crc;
    // The fork is read as it comes: a claimed length is never allocated
    // ahead of the bytes that back it.
    if (!reader.Read(length, fork) || !reader.Read(2, crc)) return BinHexCheck::kTruncated;
    if (Crc16(fork) != GetU16(crc, 0)) return forkChecks[i];
  }
  file = std::move(read);
  return BinHexCheck::kDecoded;
}

BinHexCheck ReadBinHex(std::FILE* file, BinHexFile& decoded) {
  const std::vector<std::uint8_t> text = ReadFromStart(file);
  if (std::ferror(file)) return BinHexCheck::kTruncated;
  return DecodeBinHex(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()), decoded);
}

std::string_view BinHexProblem(BinHexCheck check) {
  switch (check) {
    case BinHexCheck::kDecoded: return "";
    case BinHexCheck::kNoBinHexLine: return "it is not a BinHex file";
    case BinHexCheck::kBadCharacter: return "it holds a character that BinHex does not use";
    case BinHexCheck::kTruncated: return "it is cut short";
    case BinHexCheck::kBadHeader: return "its header is damaged";
    case BinHexCheck::kBadHeaderCrc: return "the CRC of its header is wrong";
    case BinHexCheck::kBadDataCrc: return "the CRC of its data fork is wrong";
    case BinHexCheck::kBadResourceCrc: return "the CRC of its resource fork is wrong";
  }
  return "";
}

bool WriteBinHex(std::FILE* file, std::string_view macName, ConstBytes fileRecord, const ForkCopier& copyFork) {
  CheckRange(fileRecord.size(), 0, filrec::kSize);
  BinHexFile out;
  out.name = std::string(macName);
  out.type.assign(fileRecord.begin() + filrec::fdType, fileRecord.begin() + filrec::fdType + 4);
  out.creator.assign(fileRecord.begin() + filrec::fdCreator, fileRecord.begin() + filrec::fdCreator + 4);
  out.finderFlags = GetU16(fileRecord, filrec::fdFlags);
  const std::uint32_t fileId = GetU32(fileRecord, filrec::filFlNum);
  for (const std::uint8_t forkType : {kDataFork, kResourceFork}) {
    const bool data = forkType == kDataFork;
    const std::uint32_t length = GetU32(fileRecord, data ? filrec::filLgLen : filrec::filRLgLen);
    if (length == 0) continue;
    // The fork copy writes to a file; the encoding needs the whole fork.
    std::FILE* fork = std::tmpfile();
    if (fork == nullptr) return false;
    const ConstBytes extents = fileRecord.subspan(data ? filrec::filExtRec : filrec::filRExtRec, kExtentRecordSize);
    std::vector<std::uint8_t>& bytes = data ? out.dataFork : out.resourceFork;
    const bool copied = copyFork(extents, fork, fileId, length, forkType);
    if (copied) bytes = ReadFromStart(fork);
    std::fclose(fork);
    if (!copied || bytes.size() != length) return false;
  }
  const std::string text = EncodeBinHex(out);
  return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

std::FILE* BinHexAsMacBinary(const BinHexFile& file, std::uint32_t created, std::uint32_t modified) {
  std::array<std::uint8_t, filrec::kSize> record{};
  PutU8(record, 0, kFileRecord);
  for (std::size_t i = 0; i < 4; ++i) {
    PutU8(record, filrec::fdType + i, static_cast<std::uint8_t>(file.type[i]));
    PutU8(record, filrec::fdCreator + i, static_cast<std::uint8_t>(file.creator[i]));
  }
  PutU16(record, filrec::fdFlags, file.finderFlags);
  PutU32(record, filrec::filLgLen, static_cast<std::uint32_t>(file.dataFork.size()));
  PutU32(record, filrec::filRLgLen, static_cast<std::uint32_t>(file.resourceFork.size()));
  PutU32(record, filrec::filCrDat, created);
  PutU32(record, filrec::filMdDat, modified);
  std::FILE* out = std::tmpfile();
  if (out == nullptr) return nullptr;
  const ForkCopier copyFork = [&file](ConstBytes, std::FILE* to, std::uint32_t, std::uint32_t, std::uint8_t forkType) {
    const std::vector<std::uint8_t>& fork = forkType == kDataFork ? file.dataFork : file.resourceFork;
    return std::fwrite(fork.data(), 1, fork.size(), to) == fork.size();
  };
  if (!WriteMacBinary(out, file.name, record, copyFork) || std::fflush(out) != 0) {
    std::fclose(out);
    return nullptr;
  }
  std::rewind(out);
  return out;
}

std::vector<std::uint8_t> ReadFromStart(std::FILE* file) {
  std::vector<std::uint8_t> bytes;
  std::rewind(file);
  std::array<std::uint8_t, 65536> chunk{};
  for (std::size_t n; (n = std::fread(chunk.data(), 1, chunk.size(), file)) > 0;) {
    bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(n));
  }
  return bytes;
}

namespace {

void PutCrc(std::vector<std::uint8_t>& out, ConstBytes bytes) {
  const std::uint16_t crc = Crc16(bytes);
  out.push_back(static_cast<std::uint8_t>(crc >> 8));
  out.push_back(static_cast<std::uint8_t>(crc));
}

std::vector<std::uint8_t> RunLengthEncode(ConstBytes bytes) {
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i < bytes.size();) {
    const std::uint8_t b = bytes[i];
    std::size_t run = 1;
    while (i + run < bytes.size() && run < kMaxRun && bytes[i + run] == b) ++run;
    out.push_back(b);
    if (b == kRunMarker) out.push_back(0);
    if (run >= 3 || (b == kRunMarker && run >= 2)) {
      out.push_back(kRunMarker);
      out.push_back(static_cast<std::uint8_t>(run));
    } else if (run == 2) {
      out.push_back(b);
    }
    i += run;
  }
  return out;
}

std::string SixBitEncode(ConstBytes bytes) {
  std::string chars;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
    std::uint32_t group = 0;
    for (std::size_t k = 0; k < 3; ++k) group = group << 8 | (k < n ? bytes[i + k] : 0);
    for (std::size_t k = 0; k <= n; ++k) chars += kAlphabet[(group >> (18 - 6 * k)) & 63];
  }
  // ':' opens the first line and closes the last; every line holds 64.
  const std::string stream = ":" + chars + ":";
  std::string text;
  for (std::size_t i = 0; i < stream.size(); i += kLineLength) text += stream.substr(i, kLineLength) + "\n";
  return text;
}

BinHexCheck SixBitDecode(std::string_view text, std::vector<std::uint8_t>& bytes) {
  std::uint32_t bits = 0;
  int held = 0;
  for (const char c : text) {
    if (c == '\r' || c == '\n' || c == ' ' || c == '\t') continue;
    const std::size_t value = kAlphabet.find(c);
    if (value == std::string_view::npos) return BinHexCheck::kBadCharacter;
    bits = (bits << 6 | static_cast<std::uint32_t>(value)) & 0xFFFFFF;
    held += 6;
    if (held >= 8) {
      held -= 8;
      bytes.push_back(static_cast<std::uint8_t>(bits >> held));
    }
  }
  return BinHexCheck::kDecoded;
}

bool RunLengthReader::Read(std::size_t count, std::vector<std::uint8_t>& out) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::optional<std::uint8_t> b = Next();
    if (!b) return false;
    out.push_back(*b);
  }
  return true;
}

std::optional<std::uint8_t> RunLengthReader::Next() {
  if (repeats_ > 0) {
    --repeats_;
    return last_;
  }
  // Each turn takes at least one packed byte.
  while (pos_ < packed_.size()) {
    const std::uint8_t b = packed_[pos_++];
    if (b != kRunMarker) return last_ = b;
    if (pos_ >= packed_.size()) return std::nullopt;
    const std::uint8_t count = packed_[pos_++];
    if (count == 0) return last_ = kRunMarker;
    if (count >= 2) {
      repeats_ = count - 2u;
      return last_;
    }
  }
  return std::nullopt;
}

}  // namespace

}  // namespace tarvo
