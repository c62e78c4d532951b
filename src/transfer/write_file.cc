#include "transfer/write_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <vector>

#include "base/charset.h"
#include "base/engine.h"
#include "device/sector_io.h"
#include "hfs/allocation.h"
#include "hfs/catalog_insert.h"
#include "hfs/catalog_lookup.h"
#include "hfs/catalog_record.h"
#include "hfs/navigation.h"
#include "hfs/overflow_extent.h"
#include "hfs/overflow_release.h"
#include "hfs/volume_counters.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"
#include "transfer/macbinary.h"

namespace tarvo {

namespace {

constexpr std::size_t kStatusNameMax = 25;
// Finder flags an unpacked file takes over: all but "on the desk" (bit 0)
// and "inited" (bit 8), which speak of the Macintosh the file came from.
constexpr std::uint16_t kKeptFinderFlags = 0xFEFE;

std::uint32_t BlocksFor(const Engine& ctx, std::uint64_t bytes);
std::string StatusName(const std::string& pcName);
std::optional<BlockExtent> NextRun(Engine& ctx, std::uint32_t remaining);
std::size_t LengthField(std::uint8_t forkType) { return forkType == kDataFork ? filrec::filLgLen : filrec::filRLgLen; }
std::size_t ExtentsField(std::uint8_t forkType) { return forkType == kDataFork ? filrec::filExtRec : filrec::filRExtRec; }

}  // namespace

std::optional<PcFileFacts> PcFileFactsOf(std::FILE* file) {
  struct stat info{};
  if (fstat(fileno(file), &info) != 0) return std::nullopt;
  return PcFileFacts{static_cast<std::uint64_t>(info.st_size), info.st_mtime};
}

FileWrite WriteFileToVolume(Engine& ctx, const MacFileSource& source, const std::string& pcName,
                            std::uint32_t folderId, std::uint8_t flagByte) {
  VolumeState& volume = ctx.volume;
  std::optional<NewFile> made = DescribeNewFile(ctx, source, flagByte);
  if (!made) return FileWrite::kNoCatalogId;
  if (made->name.empty() || FindNamedRecord(volume.catalog, folderId, made->name)) return FileWrite::kNameTaken;
  if (!EnsureBitmapLoaded(ctx)) return FileWrite::kBitmapUnreadable;
  if (NewFileBlocks(ctx, *made) > GetU16(volume.mdb, mdb::drFreeBks)) return FileWrite::kNoSpace;

  if (IsLogOpen(ctx.log)) AppendLog(ctx.log, pcName + "\t" + ConvertString(made->name, MacToAnsi) + "\r\n");
  if (const FileWrite written = WriteNewForks(ctx, source.stream, *made, pcName); written != FileWrite::kDone) {
    return written;
  }
  return RecordNewFile(ctx, *made, folderId) == CatalogEditStatus::kDone ? FileWrite::kDone
                                                                          : FileWrite::kCatalogRefused;
}

std::optional<NewFile> DescribeNewFile(Engine& ctx, const MacFileSource& source, std::uint8_t flagByte) {
  NewFile made;
  const std::optional<std::uint32_t> fileId = NextCatalogId(ctx.volume);
  if (!fileId) return std::nullopt;
  made.fileId = *fileId;
  std::vector<std::uint8_t>& record = made.record;
  record.assign(filrec::kSize, 0);
  PutU8(record, 0, kFileRecord);
  PutU32(record, filrec::filFlNum, made.fileId);
  const std::string typeCreator = (source.type + "    ").substr(0, 4) + (source.creator + "    ").substr(0, 4);
  std::copy_n(typeCreator.begin(), 8, record.begin() + filrec::fdType);
  PutU16(record, filrec::fdFlags, static_cast<std::uint16_t>(flagByte << 8 | (source.finderFlags & kKeptFinderFlags)));
  PutU32(record, filrec::filCrDat, source.created);
  PutU32(record, filrec::filMdDat, source.modified);
  made.dataLength = source.data.length;
  made.resourceLength = source.resource.length;
  made.dataOffset = source.data.offset;
  made.resourceOffset = source.resource.offset;
  made.name = source.name.substr(0, kMaxNameLength);
  return made;
}

std::uint64_t NewFileBlocks(const Engine& ctx, const NewFile& file) {
  return std::uint64_t{BlocksFor(ctx, file.dataLength)} + BlocksFor(ctx, file.resourceLength);
}

FileWrite WriteNewForks(Engine& ctx, std::FILE* file, NewFile& made, const std::string& pcName,
                        const MoreBlocks& more) {
  SetStatus(ctx, FormatMessage(ctx.messages[kMsgCopyOf], StatusName(pcName), ConvertString(made.name, MacToAnsi)));
  ForkWrite written = ForkWrite::kDone;
  if (made.dataLength > 0xFFFFFFFFu || made.resourceLength > 0xFFFFFFFFu) written = ForkWrite::kNoSpace;
  const auto writeFork = [&](std::uint64_t offset, std::uint64_t length, std::uint8_t forkType) {
    if (written != ForkWrite::kDone || length == 0) return;
    if (std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0) {
      written = ForkWrite::kPcFileError;
      return;
    }
    written = WriteFork(ctx, file, static_cast<std::uint32_t>(length), made.fileId, forkType, made.record, more);
  };
  writeFork(made.dataOffset, made.dataLength, kDataFork);
  writeFork(made.resourceOffset, made.resourceLength, kResourceFork);
  if (written == ForkWrite::kDone) return FileWrite::kDone;
  GiveBackNewFile(ctx, made);
  switch (written) {
    case ForkWrite::kNoSpace:
      return FileWrite::kNoSpace;
    case ForkWrite::kScattered:
      return FileWrite::kScattered;
    case ForkWrite::kPcFileError:
      return FileWrite::kPcFileError;
    case ForkWrite::kDone:
    case ForkWrite::kMediumError:
      break;
  }
  return FileWrite::kMediumError;
}

CatalogEditStatus RecordNewFile(Engine& ctx, const NewFile& made, std::uint32_t folderId) {
  const CatalogEditStatus inserted = InsertCatalogRecord(ctx, CatalogKey{0, folderId, made.name}, made.record);
  if (inserted != CatalogEditStatus::kDone) {
    GiveBackNewFile(ctx, made);
    return inserted;
  }
  TakeCatalogId(ctx.volume);
  CountFiles(ctx.volume, folderId, 1);
  AdjustFolderValence(ctx, folderId, 1);
  return inserted;
}

void GiveBackNewFile(Engine& ctx, const NewFile& made) {
  FreeExtentRecord(ctx, ConstBytes(made.record).subspan(filrec::filExtRec, kExtentRecordSize));
  FreeExtentRecord(ctx, ConstBytes(made.record).subspan(filrec::filRExtRec, kExtentRecordSize));
  ReleaseOverflowExtents(ctx, made.fileId);
}

ForkWrite WriteFork(Engine& ctx, std::FILE* file, std::uint32_t byteCount, std::uint32_t fileId,
                    std::uint8_t forkType, Bytes fileRecord, const MoreBlocks& more) {
  const std::uint32_t blocks = BlocksFor(ctx, byteCount);
  PutU32(fileRecord, LengthField(forkType), byteCount);
  if (blocks == 0) return ForkWrite::kDone;
  if (blocks > 0xFFFF || !EnsureBitmapLoaded(ctx) || (!more && blocks > GetU16(ctx.volume.mdb, mdb::drFreeBks))) {
    return ForkWrite::kNoSpace;
  }
  PutU32(fileRecord, LengthField(forkType) + 4, blocks * ctx.volume.allocBlockSize);

  std::uint32_t done = 0;
  for (std::size_t run = 0; done < blocks; ++run) {
    std::optional<BlockExtent> extent = NextRun(ctx, blocks - done);
    if (!extent && more && more()) extent = NextRun(ctx, blocks - done);
    if (!extent) return ForkWrite::kNoSpace;
    MarkBlocksInUse(ctx, *extent);
    if (run < 3) {
      PutU16(fileRecord, ExtentsField(forkType) + 4 * run, extent->startBlock);
      PutU16(fileRecord, ExtentsField(forkType) + 4 * run + 2, extent->blockCount);
    } else if (const OverflowStatus added =
                   AddOverflowExtent(ctx, *extent, fileId, static_cast<std::uint16_t>(done), forkType);
               added != OverflowStatus::kDone) {
      std::array<std::uint8_t, kExtentRecordSize> loose{};
      PutU16(loose, 0, extent->startBlock);
      PutU16(loose, 2, extent->blockCount);
      FreeExtentRecord(ctx, loose);
      // An extents tree that cannot grow leaves no room for the file.
      return added == OverflowStatus::kNoRoom ? ForkWrite::kNoSpace : ForkWrite::kScattered;
    }
    const std::uint64_t runBytes = std::uint64_t{extent->blockCount} * ctx.volume.allocBlockSize;
    const std::uint64_t left = byteCount - std::uint64_t{done} * ctx.volume.allocBlockSize;
    const TransferResult moved =
        WriteBlocksFromFile(ctx, file, extent->startBlock, extent->blockCount, std::min(runBytes, left));
    if (moved.fileError) return ForkWrite::kPcFileError;
    if (moved.failedSectors > 0) return ForkWrite::kMediumError;
    done += extent->blockCount;
  }
  return ForkWrite::kDone;
}

namespace {

std::uint32_t BlocksFor(const Engine& ctx, std::uint64_t bytes) {
  const std::uint64_t size = ctx.volume.allocBlockSize;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>((bytes + size - 1) / size, 0xFFFFFFFFu));
}

// A PC name of more than 25 characters is shown as its first 23 and "...".
std::string StatusName(const std::string& pcName) {
  return pcName.size() > kStatusNameMax ? pcName.substr(0, 23) + "..." : pcName;
}

// The first free run that holds the rest, or else the first of 10 blocks
// or more; on a volume whose free space lies only in shorter runs, the
// first run as long as possible below 10.
std::optional<BlockExtent> NextRun(Engine& ctx, std::uint32_t remaining) {
  if (std::optional<BlockExtent> run = FindFreeRun(ctx.volume, remaining)) return run;
  for (std::uint32_t count = std::min(remaining, kMinimumPartialRun - 1); count > 0; --count) {
    if (std::optional<BlockExtent> run = FindFreeRun(ctx.volume, count)) return run;
  }
  return std::nullopt;
}

}  // namespace

}  // namespace tarvo
