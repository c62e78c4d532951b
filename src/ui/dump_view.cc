#include "ui/dump_view.h"

#include <algorithm>

#include "base/charset.h"
#include "device/sector_io.h"
#include "hfs/bitmap.h"
#include "hfs/work_file.h"
#include "transfer/file_attributes.h"
#include "ui/attributes_dialog.h"
#include "ui/context.h"

namespace tarvo {

namespace {

constexpr std::uint32_t kSector = 512;
constexpr std::uint32_t kScreenBytes = kDumpLinesPerScreen * kDumpBytesPerLine;  // 512
constexpr std::uint32_t kLineStep = 128;
constexpr std::uint32_t kWindowBytes = 1536;
constexpr std::uint32_t kMaxRange = 32767;
constexpr const char* kDigits = "0123456789abcdef";

std::uint8_t ShownCharacter(std::uint8_t byte, DumpCharset charset);

}  // namespace

std::string DumpLine(std::uint32_t offset, ConstBytes bytes, int base, DumpCharset charset) {
  std::string line(8, '0');
  for (std::size_t i = 8, value = offset; i-- > 0; value /= static_cast<std::size_t>(base)) {
    line[i] = kDigits[value % static_cast<std::size_t>(base)];
  }
  line += ' ';
  for (std::size_t i = 0; i < kDumpBytesPerLine; ++i) {
    const std::uint8_t b = i < bytes.size() ? bytes[i] : 0;
    line += kDigits[b >> 4];
    line += kDigits[b & 0xF];
    line += i == 7 ? "  " : " ";
  }
  for (std::size_t i = 0; i < kDumpBytesPerLine; ++i) {
    const std::uint8_t b = i < bytes.size() ? bytes[i] : 0;
    const std::uint8_t c = ShownCharacter(b, charset);
    line += b == 0 || c == 0 ? ' ' : static_cast<char>(c);
  }
  return line;
}

DumpView::DumpView(Context& ctx, std::string_view macName) : ctx_(ctx), name_(macName) {
  const std::optional<CatalogRecord> record = FindFileRecord(ctx, macName);
  if (!record) return;
  found_ = true;
  std::copy_n(record->data.begin(), record_.size(), record_.begin());
  ShowFork(dataEnabled() ? DumpFork::kData : DumpFork::kResource);
}

std::string DumpView::title() const {
  return ctx_.messages[kMsgDumpingFile] + ConvertString(name_, MacToAnsi) + "\"";
}

void DumpView::ShowFork(DumpFork fork) {
  fork_ = fork;
  length_ = GetU32(record_, fork == DumpFork::kData ? filrec::filPyLen : filrec::filRPyLen);
  unit_ = kLineStep;
  while (length_ / unit_ > kMaxRange) unit_ += kLineStep;
  range_ = (length_ + unit_ - 1) / unit_;
  position_ = 0;
  thumb_ = 0;
  bufferStart_ = bufferEnd_ = 0;
  CheckBuffer();
}

void DumpView::FileParameter() {
  AttributesDialog dialog(ctx_, name_, record_, nullptr, true);
  ctx_.ui->RunAttributesDialog(dialog);
}

void DumpView::LineUp() {
  if (position_ > kLineStep - 1) position_ -= kLineStep;
  Scrolled();
}

void DumpView::LineDown() {
  if (length_ > position_ && length_ - position_ > kLineStep - 1) position_ += kLineStep;
  Scrolled();
}

void DumpView::PageUp() {
  if (position_ >= kScreenBytes) position_ -= kScreenBytes;
  Scrolled();
}

void DumpView::PageDown() {
  if (length_ > position_ && length_ - position_ > kScreenBytes) position_ += kScreenBytes;
  Scrolled();
}

// A thumb past the end shows the last page, as Bottom does.
void DumpView::Thumb(std::uint32_t thumb) {
  const std::uint64_t wanted = std::uint64_t{std::min(thumb, range_)} * unit_;
  const std::uint32_t last = length_ % kScreenBytes != 0 ? length_ - length_ % kScreenBytes
                             : length_ >= kScreenBytes   ? length_ - kScreenBytes
                                                         : 0;
  position_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(wanted, last));
  Scrolled();
}

void DumpView::Top() {
  position_ = 0;
  Scrolled();
}

void DumpView::Bottom() { Thumb(range_); }

std::vector<std::string> DumpView::ScreenLines() const {
  std::vector<std::string> lines;
  const std::uint32_t at = position_ - bufferStart_;
  for (std::uint32_t k = 0; k < kDumpLinesPerScreen; ++k) {
    const std::uint32_t offset = k * kDumpBytesPerLine;
    lines.push_back(DumpLine(position_ + offset, ConstBytes(buffer_).subspan(at + offset, kDumpBytesPerLine), base_,
                             charset_));
  }
  return lines;
}

std::vector<std::string> DumpView::AllLines() {
  std::vector<std::string> lines;
  std::array<std::uint8_t, kWindowBytes> chunk{};
  for (std::uint32_t offset = 0; offset < length_; offset += kWindowBytes) {
    chunk.fill(0);
    ReadForkBytes(chunk, kWindowBytes, offset);
    const std::uint32_t end = std::min(length_ - offset, kWindowBytes);
    for (std::uint32_t i = 0; i < end; i += kDumpBytesPerLine) {
      lines.push_back(DumpLine(offset + i, ConstBytes(chunk).subspan(i, kDumpBytesPerLine), base_, charset_));
    }
  }
  return lines;
}

std::uint32_t DumpView::ReadForkBytes(Bytes out, std::uint32_t byteCount, std::uint32_t offset) {
  if (offset >= length_) return offset;
  byteCount = std::min({byteCount, length_ - offset, static_cast<std::uint32_t>(out.size())});
  const ConstBytes extents =
      ConstBytes(record_).subspan(fork_ == DumpFork::kData ? filrec::filExtRec : filrec::filRExtRec, kExtentRecordSize);
  const std::uint8_t forkType = fork_ == DumpFork::kData ? kDataFork : kResourceFork;
  const std::uint32_t fileId = GetU32(record_, filrec::filFlNum);
  // Room for the 1024-byte entry point.
  std::array<std::uint8_t, 2 * kSector + kSector> scratch{};
  std::uint32_t i = 0;
  for (; i < byteCount / kSector; ++i) {
    const ForkSector where = ForkSectorToMedium(ctx_, offset / kSector + i, extents, fileId, forkType);
    if (where.sector == 0) break;
    scratch.fill(0);
    SectorRequest request;
    request.command = kReadSectors;
    request.target = ctx_.volume.targetId;
    request.startSector = where.sector;
    request.sectorCount = 1;
    request.buffer = scratch;
    SectorEntry(ctx_, request);
    std::copy_n(scratch.begin(), kSector, out.begin() + i * kSector);
  }
  return offset + i * kSector;
}

void DumpView::Scrolled() {
  thumb_ = position_ / unit_;
  CheckBuffer();
}

void DumpView::CheckBuffer() {
  if (position_ >= bufferStart_ && bufferEnd_ >= position_ && bufferEnd_ - position_ >= kScreenBytes) return;
  bufferStart_ = position_ - position_ % kSector;
  buffer_.fill(0);
  bufferEnd_ = ReadForkBytes(Bytes(buffer_).first(kWindowBytes), kWindowBytes, bufferStart_);
}

void OpenDumpWindow(Context& ctx, std::string_view macName) {
  DumpView view(ctx, macName);
  if (view.found()) ctx.ui->RunDumpView(view);
}

namespace {

std::uint8_t ShownCharacter(std::uint8_t byte, DumpCharset charset) {
  switch (charset) {
    case DumpCharset::kMacintosh: return MacToAnsi[byte];
    case DumpCharset::kDos: return DosToAnsi[byte];
    case DumpCharset::kAnsi: break;
  }
  // The window text's control codes stand for Mac characters (≠, π, ...):
  // a control byte shows blank.
  return byte < 0x20 ? 0 : byte;
}

}  // namespace

}  // namespace tarvo
