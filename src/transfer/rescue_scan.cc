#include "transfer/rescue_scan.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <vector>

#include "base/charset.h"
#include "base/engine.h"
#include "device/drive_selection.h"
#include "device/sector_io.h"
#include "hfs/btree.h"
#include "hfs/catalog_record.h"
#include "hfs/work_file.h"
#include "transfer/copy_to_pc.h"
#include "transfer/macbinary.h"
#include "transfer/pc_file_system.h"

namespace tarvo {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kSector = 512;
constexpr std::uint16_t kFirstRecordOffset = 14;
// Room the 1024-byte entry point needs beyond the sectors themselves.
constexpr std::size_t kScratchExtra = 1024;
constexpr const char* kTextForkCut = ": the fork goes on beyond the three extents of its catalog record; ";
constexpr const char* kTextBytesOf = " of ";
constexpr const char* kTextBytesRescued = " bytes rescued.";

std::uint32_t ScanEnd(Engine& ctx);
std::optional<std::vector<OwnedRecord>> LeafRecords(ConstBytes node);
bool ForksFitMedium(const Engine& ctx, const CatalogRecord& record);
void ShowSector(RescueFields& fields, std::uint32_t sector, std::uint32_t found);
void RescueFile(Engine& ctx, const CatalogRecord& record, RescueFields& fields);
bool WriteRescuedContent(Engine& ctx, std::FILE* file, const CatalogRecord& record);
std::optional<std::uint32_t> CopyRescuedFork(Engine& ctx, const std::string& name, ConstBytes extents,
                                             std::FILE* file, std::uint32_t byteCount);
bool WriteZeros(std::FILE* file, std::uint32_t count);

}  // namespace

std::uint32_t ScanMedium(Engine& ctx, RescueFields& fields) {
  fields.status = ctx.messages[kMsgHitEscToAbort];
  std::uint32_t found = 0;
  const std::uint32_t end = ScanEnd(ctx);
  const auto chunk = static_cast<std::uint16_t>(
      std::clamp<std::size_t>(ctx.volume.transferSectors, 1, kMaxRequestSectors));
  std::vector<std::uint8_t> buffer = AllocZeroed(ctx, chunk * kSector + kScratchExtra);

  // The fields show the last sector examined. They are brought up to date
  // only where the user interface may look at them: before a node gives up
  // its files and at the end of each request (while a failing request is
  // read again sector by sector, none of its sectors has been examined).
  // 64 bits: the step after the medium's last chunk must not wrap to 0.
  for (std::uint64_t next = 0; next < end; next += chunk) {
    if (PollAbort(ctx)) break;
    const auto s = static_cast<std::uint32_t>(next);
    const auto count = static_cast<std::uint16_t>(std::min<std::uint32_t>(chunk, end - s));
    const UnreadableSectors unreadable = ReadSectorRun(ctx, s, count, buffer);
    AdvanceWaitCursor(ctx);
    for (std::uint16_t i = 0; i < count; ++i) {
      const ConstBytes sector = ConstBytes(buffer).subspan(i * kSector, kSector);
      if (unreadable.test(i) || !LooksLikeCatalogLeaf(sector)) continue;
      if (s + i > 0) ShowSector(fields, s + i - 1, found);
      found += ExamineSector(ctx, sector, fields);
    }
    ShowSector(fields, s + count - 1, found);
  }
  fields.status.clear();
  return found;
}

bool LooksLikeCatalogLeaf(ConstBytes sector) { return LeafRecords(sector).has_value(); }

std::uint32_t ExamineSector(Engine& ctx, ConstBytes sector, RescueFields& fields) {
  return LooksLikeCatalogLeaf(sector) ? RescueNode(ctx, sector, fields) : 0;
}

std::uint32_t RescueNode(Engine& ctx, ConstBytes node, RescueFields& fields) {
  std::optional<std::vector<OwnedRecord>> records = LeafRecords(node);
  if (!records) return 0;
  std::uint32_t count = 0;
  for (OwnedRecord& bytes : *records) {
    const std::optional<CatalogRecord> record = ReadCatalogRecord(bytes);
    if (!record || record->type != kFileRecord || !ForksFitMedium(ctx, *record)) continue;
    ++count;
    ++ctx.settings.copiedFileCount;
    RescueFile(ctx, *record, fields);
  }
  return count;
}

namespace {

// The number of sectors to scan: the medium's, asked of the drive when
// nothing has told it yet.
std::uint32_t ScanEnd(Engine& ctx) {
  if (ctx.volume.deviceSectors != 0) return ctx.volume.deviceSectors;
  const std::uint32_t last = ReadCapacityChecked(ctx, ctx.device.hostAdapterId, ctx.volume.targetId);
  return last == 0 ? 0 : last + 1;
}

// The records of a sound catalog leaf node; none when anything in it makes
// no sense. Nodes are packed from offset 14 up, their offsets even and
// increasing and clear of the offset table; every record is a catalog key
// no longer than the longest there is, followed by a directory, file or
// thread record whole within its place.
std::optional<std::vector<OwnedRecord>> LeafRecords(ConstBytes node) {
  if (node.size() < kNodeSize) return std::nullopt;
  const ConstBytes n = node.first(kNodeSize);
  if (NodeType(n) != kLeafNode || NodeHeight(n) != 1 || NodeRecordCount(n) == 0 ||
      GetU16(n, OffsetSlot(0)) != kFirstRecordOffset) {
    return std::nullopt;
  }
  std::optional<std::vector<OwnedRecord>> records = NodeRecords(n);
  if (!records) return std::nullopt;
  for (OwnedRecord& r : *records) {
    if (RecordKeyLength(r) > kIndexKeyLength || !ReadCatalogRecord(r)) return std::nullopt;
  }
  return records;
}

// A fork longer than the whole medium cannot be a file of it: the record is
// damaged, and rescuing it would write up to 4 GB of zeros to the PC.
bool ForksFitMedium(const Engine& ctx, const CatalogRecord& record) {
  if (ctx.volume.deviceSectors == 0) return true;
  const std::uint64_t mediumBytes = (std::uint64_t{ctx.volume.deviceSectors} + 1) * kSector;
  return DataLogicalLength(record) <= mediumBytes && ResourceLogicalLength(record) <= mediumBytes;
}

void ShowSector(RescueFields& fields, std::uint32_t sector, std::uint32_t found) {
  char text[16];
  std::snprintf(text, sizeof text, "%05lu", static_cast<unsigned long>(sector));
  fields.sector = text;
  fields.number = std::to_string(found);
}

void RescueFile(Engine& ctx, const CatalogRecord& record, RescueFields& fields) {
  std::error_code error;
  fs::path dir = fs::current_path(error);
  if (error) dir = ".";
  // A rescued file never takes the place of a PC file: it is numbered.
  std::optional<ExistingFileAction> keepBoth = ExistingFileAction::kKeepBoth;
  const std::optional<PcFileDestination> out = MakePcFileName(ctx, dir, record.key.name, record.data, keepBoth);
  if (!out) return;
  fields.file = ConvertString(record.key.name, MacToAnsi);
  bool written = WriteRescuedContent(ctx, out->file, record);
  written = SetPcFileDate(out->file, ModificationDate(record)) && written;
  if (std::fclose(out->file) != 0 || !written) MessageDialog(ctx, kTextErrorWritingFile + out->shownName);
}

bool WriteRescuedContent(Engine& ctx, std::FILE* file, const CatalogRecord& record) {
  const std::string name = ConvertString(record.key.name, MacToAnsi);
  const std::uint16_t mode = ctx.settings.modeFlags;
  if (mode & kCopyMacBinary) {
    // The header states the full lengths: what the record cannot reach
    // becomes zeros, so the forks keep their places.
    const ForkCopier copier = [&ctx, &name](ConstBytes extents, std::FILE* f, std::uint32_t, std::uint32_t byteCount,
                                            std::uint8_t) {
      const std::optional<std::uint32_t> copied = CopyRescuedFork(ctx, name, extents, f, byteCount);
      return copied && WriteZeros(f, byteCount - *copied);
    };
    return WriteMacBinary(file, record.key.name, record.data, copier);
  }
  const Bytes data = DataExtents(record);
  const Bytes resource = ResourceExtents(record);
  const bool dataInUse = GetU16(data, 0) != 0;
  const bool resourceInUse = GetU16(resource, 0) != 0;
  const bool wantResource = (mode & kCopyResource) != 0;
  if (resourceInUse && (wantResource || !dataInUse)) {
    return CopyRescuedFork(ctx, name, resource, file, ResourceLogicalLength(record)).has_value();
  }
  if (dataInUse) return CopyRescuedFork(ctx, name, data, file, DataLogicalLength(record)).has_value();
  return true;
}

// The bytes copied; nullopt when the PC file could not be written.
std::optional<std::uint32_t> CopyRescuedFork(Engine& ctx, const std::string& name, ConstBytes extents,
                                             std::FILE* file, std::uint32_t byteCount) {
  const ForkCopy copy = CopyForkFromRecord(ctx, extents, file, byteCount);
  if (copy.status == ForkCopyStatus::kPcFileError) return std::nullopt;
  if (copy.status == ForkCopyStatus::kExtentsMissing && IsLogOpen(ctx.log)) {
    AppendLog(ctx.log, ctx.messages[kMsgTheFile] + name + kTextForkCut + std::to_string(copy.copiedBytes) +
                           kTextBytesOf + std::to_string(byteCount) + kTextBytesRescued + "\r\n");
  }
  return copy.copiedBytes;
}

bool WriteZeros(std::FILE* file, std::uint32_t count) {
  static constexpr std::array<std::uint8_t, 4096> kZeros{};
  for (std::uint32_t left = count; left > 0;) {
    const std::size_t n = std::min<std::size_t>(left, kZeros.size());
    if (std::fwrite(kZeros.data(), 1, n, file) != n) return false;
    left -= static_cast<std::uint32_t>(n);
  }
  return true;
}

}  // namespace

}  // namespace tarvo
