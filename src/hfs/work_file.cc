#include "hfs/work_file.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <vector>

#include "base/engine.h"
#include "base/whole_io.h"
#include "device/sector_io.h"
#include "hfs/btree.h"
#include "hfs/extent_record.h"
#include "hfs/extent_search.h"
#include "hfs/volume_header.h"

namespace tarvo {

namespace {

// The overflow lookup is skipped while the extents tree itself is copied
// (its extents all stand in the MDB) and for records found by the rescue.
enum class Overflow { kUse, kNone };

constexpr std::uint64_t kSectorBytes = 512;

ForkCopy CopyExtents(Engine& ctx, ConstBytes firstRecord, std::FILE* file, std::uint32_t fileId,
                     std::uint32_t byteCount, std::uint8_t forkType, Overflow overflow);
std::uint32_t TreeCopySize(const VolumeState& v, std::size_t sizeField);
bool HasFreeSpace(const std::filesystem::path& dir, std::uint64_t byteCount);
bool ReadHeaderNode(TreeWorkFile& tree);

// Node states of the cache.
constexpr std::uint8_t kNotLoaded = 0;
constexpr std::uint8_t kAsInFile = 1;
constexpr std::uint8_t kChanged = 2;
constexpr std::uint32_t kPageNodes = 64;
constexpr std::uint32_t kSyncRunNodes = 64;

const NodeBuffer* CachedNode(TreeWorkFile& tree, std::uint32_t n);
void KeepNode(TreeWorkFile& tree, std::uint32_t n, ConstBytes buffer);
std::vector<NodeBuffer>& PageOf(NodeCache& cache, std::uint32_t n);
void LoadPage(TreeWorkFile& tree, std::uint32_t first, std::vector<NodeBuffer>& page);

}  // namespace

std::FILE* MakeTempFile(Engine& ctx, std::string_view prefix, std::uint64_t byteCount) {
  std::error_code error;
  const std::filesystem::path dir = std::filesystem::temp_directory_path(error);
  if (!error && !HasFreeSpace(dir, byteCount)) FatalError(ctx, ctx.messages[kMsgNoTempSpace]);
  std::string pattern = (dir / (std::string(prefix) + "XXXXXX")).string();
  const int fd = error ? -1 : mkstemp(pattern.data());
  std::FILE* file = fd < 0 ? nullptr : fdopen(fd, "w+b");
  if (file == nullptr) {
    if (fd >= 0) {
      close(fd);
      std::remove(pattern.c_str());
    }
    FatalError(ctx, kTextErrorOpeningFile + pattern);
  }
  ::unlink(pattern.c_str());
  return file;
}

CatalogCopy OpenCatalogWorkFile(Engine& ctx) {
  VolumeState& v = ctx.volume;
  CloseWorkFiles(ctx);
  TreeWorkFile& catalog = v.catalog;
  catalog.nodeNumber = 0;
  catalog.fileSize = TreeCopySize(v, mdb::drCTFlSize);
  catalog.handle = MakeTempFile(ctx, "CAT", catalog.fileSize);
  SetStatus(ctx, ctx.messages[kMsgCopyingCatalog]);
  const ConstBytes extents = ConstBytes(v.mdb).subspan(mdb::drCTExtRec, 12);
  if (GetU16(extents, 2) == 0) FatalError(ctx, ctx.messages[kMsgErrorReadingData]);

  const ForkCopy copy = CopyForkToFile(ctx, extents, catalog.handle, kCatalogFileId, catalog.fileSize, kDataFork);
  if (!ReadHeaderNode(catalog)) FatalError(ctx, ctx.messages[kMsgErrorReadingData]);
  RepairTreeHeader(catalog);
  return copy.status == ForkCopyStatus::kComplete ? CatalogCopy::kWhole : CatalogCopy::kInPart;
}

void OpenExtentsWorkFile(Engine& ctx) {
  VolumeState& v = ctx.volume;
  TreeWorkFile& extents = v.extents;
  CloseWorkFile(extents);
  SetStatus(ctx, ctx.messages[kMsgCopyingExtents]);
  const std::uint32_t size = TreeCopySize(v, mdb::drXTFlSize);
  extents.handle = MakeTempFile(ctx, "EXT", size);
  extents.fileSize = 0;
  CopyExtents(ctx, ConstBytes(v.mdb).subspan(mdb::drXTExtRec, 12), extents.handle, 0, size, kDataFork,
              Overflow::kNone);
  // An unreadable header leaves a zeroed one: an empty tree.
  if (!ReadHeaderNode(extents)) extents.header.fill(0);
  RepairTreeHeader(extents);
}

void CloseWorkFile(TreeWorkFile& tree) {
  if (tree.handle != nullptr) std::fclose(tree.handle);
  tree.handle = nullptr;
  tree.cache = NodeCache{};
  tree.freeCounted = false;
  tree.nodeNumber = 0;
  tree.recordIndex = 0;
}

void CloseWorkFiles(Engine& ctx) {
  CloseWorkFile(ctx.volume.extents);
  CloseWorkFile(ctx.volume.catalog);
}

void RepairTreeHeader(TreeWorkFile& tree) {
  if (GetU32(tree.header, header::bthFree) > GetU32(tree.header, header::bthNNodes)) {
    PutU32(tree.header, header::bthFree, 0);
  }
}

std::uint32_t WorkFileNodeCount(const TreeWorkFile& tree) {
  if (tree.cache.ready) return tree.cache.nodeCount;
  struct stat info {};
  if (tree.handle == nullptr || fstat(fileno(tree.handle), &info) != 0 || info.st_size < 0) return 0;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(info.st_size / kNodeSize, UINT32_MAX));
}

bool ReadNode(TreeWorkFile& tree, std::uint32_t n) {
  tree.nodeNumber = n;
  tree.recordIndex = 0;
  const NodeBuffer* cached = PeekNode(tree, n);
  if (cached == nullptr) {
    tree.node.fill(0);
    return false;
  }
  tree.node = *cached;
  return true;
}

// The cache starts from the file as it is; what the stream still buffers
// is written first.
void PrepareNodeCache(TreeWorkFile& tree) {
  NodeCache& cache = tree.cache;
  if (cache.ready || tree.handle == nullptr) return;
  std::fflush(tree.handle);
  cache = NodeCache{};
  cache.nodeCount = WorkFileNodeCount(tree);
  cache.state.assign(cache.nodeCount, kNotLoaded);
  cache.writes.assign(cache.nodeCount, 0);
  cache.unflushed.assign(cache.nodeCount, false);
  cache.ready = true;
}

const NodeBuffer* PeekNode(TreeWorkFile& tree, std::uint32_t n) {
  return tree.handle != nullptr ? CachedNode(tree, n) : nullptr;
}

bool ReadNodeInto(TreeWorkFile& tree, std::uint32_t n, NodeBuffer& out) {
  const bool read = ReadNode(tree, n);
  out = tree.node;
  return read;
}

bool WriteNode(TreeWorkFile& tree, std::uint32_t n, ConstBytes buffer) {
  if (tree.handle == nullptr || buffer.size() != kNodeSize) return false;
  KeepNode(tree, n & 0xFFFFFF, buffer);
  KeepNode(tree, 0, tree.header);
  return true;
}

bool SyncWorkFile(TreeWorkFile& tree) {
  NodeCache& cache = tree.cache;
  if (tree.handle == nullptr) return false;
  if (!cache.changed) return true;
  const int fd = fileno(tree.handle);
  bool ok = true;
  std::vector<std::uint8_t> run;
  for (std::uint32_t n = 0; n < cache.nodeCount;) {
    if (cache.state[n] != kChanged) {
      ++n;
      continue;
    }
    // A run of changed nodes goes out with one write.
    const std::uint32_t first = n;
    run.clear();
    for (; n < cache.nodeCount && cache.state[n] == kChanged && n - first < kSyncRunNodes; ++n) {
      const NodeBuffer& node = PageOf(cache, n)[n % kPageNodes];
      run.insert(run.end(), node.begin(), node.end());
      cache.state[n] = kAsInFile;
    }
    ok = WriteWholeAt(fd, run, std::uint64_t{first} * kNodeSize).end == IoEnd::kWhole && ok;
  }
  cache.changed = false;
  // The stream may hold bytes it read before these writes; a flush makes
  // it forget them, so reads through it see the file.
  return std::fflush(tree.handle) == 0 && ok;
}

bool ReadWorkFileBytes(const TreeWorkFile& tree, std::uint64_t offset, Bytes out) {
  if (tree.handle == nullptr) {
    std::fill(out.begin(), out.end(), 0);
    return false;
  }
  const int fd = fileno(tree.handle);
  // ENXIO: no data from offset to the end of the file.
  const off_t data = lseek(fd, static_cast<off_t>(offset), SEEK_DATA);
  const bool hole =
      (data < 0 && errno == ENXIO) || (data >= 0 && static_cast<std::uint64_t>(data) >= offset + out.size());
  const IoRun run = hole ? IoRun{} : ReadWholeAt(fd, out, offset);
  // Only what was not read is cleared: the bytes are not written twice.
  std::fill(out.begin() + static_cast<std::ptrdiff_t>(run.moved), out.end(), 0);
  return run.end != IoEnd::kFailed;
}

ForkCopy CopyForkToFile(Engine& ctx, ConstBytes extents, std::FILE* file, std::uint32_t fileId,
                        std::uint32_t byteCount, std::uint8_t forkType) {
  return CopyExtents(ctx, extents, file, fileId, byteCount, forkType, Overflow::kUse);
}

ForkCopy CopyForkFromRecord(Engine& ctx, ConstBytes extents, std::FILE* file, std::uint32_t byteCount) {
  return CopyExtents(ctx, extents, file, 0, byteCount, kDataFork, Overflow::kNone);
}

std::uint32_t ForkBytesHeld(Engine& ctx, ConstBytes extents, std::uint32_t fileId, std::uint32_t byteCount,
                            std::uint8_t forkType) {
  const std::uint64_t blockSize = ctx.volume.allocBlockSize;
  std::uint64_t held = 0;
  const ExtentRecordVisitor count = [&](const ExtentRecord& record, std::uint32_t) {
    held += std::uint64_t{record.Blocks()} * blockSize;
    return held >= byteCount ? ForkWalkStep::kStop : ForkWalkStep::kNext;
  };
  WalkForkExtents(extents, OverflowRecords(ctx, fileId, forkType), count);
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(held, byteCount));
}

namespace {

ForkCopy CopyExtents(Engine& ctx, ConstBytes firstRecord, std::FILE* file, std::uint32_t fileId,
                     std::uint32_t byteCount, std::uint8_t forkType, Overflow overflow) {
  ForkCopy result;
  const std::uint64_t blockSize = ctx.volume.allocBlockSize;
  std::uint32_t remaining = byteCount;
  const ExtentRecordVisitor copy = [&](const ExtentRecord& record, std::uint32_t) {
    for (const BlockExtent& extent : record.Used()) {
      if (remaining == 0) break;
      const auto n = static_cast<std::uint32_t>(std::min<std::uint64_t>(extent.blockCount * blockSize, remaining));
      if (n == 0) continue;
      const TransferResult transfer = ReadBlocksToFile(ctx, file, extent.startBlock, n);
      result.lostBytes += transfer.lostBytes;
      if (transfer.fileError) {
        result.status = ForkCopyStatus::kPcFileError;
        return ForkWalkStep::kStop;
      }
      remaining -= n;
      result.copiedBytes += n;
    }
    return remaining == 0 ? ForkWalkStep::kStop : ForkWalkStep::kNext;
  };
  const NextExtentRecord next = overflow == Overflow::kUse ? OverflowRecords(ctx, fileId, forkType) : nullptr;
  if (WalkForkExtents(firstRecord, next, copy) == ForkWalkEnd::kExtentsEnded) {
    result.status = ForkCopyStatus::kExtentsMissing;
  }
  return result;
}

// The tree's size field (drCTFlSize or drXTFlSize), but never more than
// lies between the volume's start and the end of the medium (when its size
// is known): a damaged header that claims up to 4 GB must not make the
// mount read and store that much.
std::uint32_t TreeCopySize(const VolumeState& v, std::size_t sizeField) {
  const std::uint32_t claimed = GetU32(v.mdb, sizeField);
  if (v.deviceSectors == 0 || v.volumeOrigin < 0) return claimed;
  const std::uint64_t mediumEnd = (std::uint64_t{v.deviceSectors} + 1) * kSectorBytes;
  const std::uint64_t start = static_cast<std::uint64_t>(v.volumeOrigin) * kSectorBytes;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(claimed, mediumEnd > start ? mediumEnd - start : 0));
}

bool HasFreeSpace(const std::filesystem::path& dir, std::uint64_t byteCount) {
  struct statvfs info {};
  if (statvfs(dir.c_str(), &info) != 0) return true;  // unknown: let the creation decide
  const std::uint64_t unit = info.f_frsize != 0 ? info.f_frsize : info.f_bsize;
  if (unit == 0) return true;
  const std::uint64_t needed = (byteCount + unit - 1) / unit;
  return std::uint64_t{info.f_bavail} > needed;
}

bool ReadHeaderNode(TreeWorkFile& tree) {
  if (!ReadNode(tree, 0)) return false;
  tree.header = tree.node;
  tree.freeCounted = false;
  return true;
}

// Node n from memory, read from the file at its first use; none when the
// file does not hold it.
const NodeBuffer* CachedNode(TreeWorkFile& tree, std::uint32_t n) {
  PrepareNodeCache(tree);
  NodeCache& cache = tree.cache;
  if (n >= cache.nodeCount) return nullptr;
  std::vector<NodeBuffer>& page = PageOf(cache, n);
  if (cache.state[n] == kNotLoaded) LoadPage(tree, n - n % kPageNodes, page);
  // Not cached when the file could not give it: a later read tries again.
  return cache.state[n] == kNotLoaded ? nullptr : &page[n % kPageNodes];
}

// The page's nodes come from the file with one read; those not loaded yet
// take their bytes, a changed one keeps its own. A walk along the leaves
// so reads the file once per 64 nodes.
void LoadPage(TreeWorkFile& tree, std::uint32_t first, std::vector<NodeBuffer>& page) {
  NodeCache& cache = tree.cache;
  const std::uint32_t count = std::min(kPageNodes, cache.nodeCount - first);
  std::vector<std::uint8_t> bytes(std::size_t{count} * kNodeSize);
  // Only whole nodes read are taken, whatever ended the read.
  const std::size_t done = ReadWholeAt(fileno(tree.handle), bytes, std::uint64_t{first} * kNodeSize).moved;
  for (std::uint32_t i = 0; i < done / kNodeSize; ++i) {
    if (cache.state[first + i] != kNotLoaded) continue;
    std::copy_n(bytes.begin() + std::ptrdiff_t{i} * kNodeSize, kNodeSize, page[i].begin());
    cache.state[first + i] = kAsInFile;
  }
}

// A write of the bytes the node already holds changes nothing and is not
// counted.
void KeepNode(TreeWorkFile& tree, std::uint32_t n, ConstBytes buffer) {
  PrepareNodeCache(tree);
  NodeCache& cache = tree.cache;
  if (n >= cache.nodeCount) {
    cache.nodeCount = n + 1;
    cache.state.resize(n + std::size_t{1}, kNotLoaded);
    cache.writes.resize(n + std::size_t{1}, 0);
    cache.unflushed.resize(n + std::size_t{1}, false);
  }
  NodeBuffer& node = PageOf(cache, n)[n % kPageNodes];
  if (cache.state[n] != kNotLoaded && std::equal(buffer.begin(), buffer.end(), node.begin())) return;
  ++cache.writes[n];
  cache.unflushed[n] = true;
  std::copy(buffer.begin(), buffer.end(), node.begin());
  cache.state[n] = kChanged;
  cache.changed = true;
}

std::vector<NodeBuffer>& PageOf(NodeCache& cache, std::uint32_t n) {
  const std::size_t page = n / kPageNodes;
  if (page >= cache.pages.size()) cache.pages.resize(page + 1);
  if (cache.pages[page].empty()) cache.pages[page].resize(kPageNodes);
  return cache.pages[page];
}

}  // namespace

}  // namespace tarvo
