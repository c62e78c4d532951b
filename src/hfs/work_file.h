// The tree work files: the catalog and extents trees copied into temporary
// files on the PC, and node reads and writes on them; also the copy of a
// whole fork to a PC file, which fills the work files and serves the copy
// to the PC.
//
// Work files are made in the system's temporary folder under the prefixes
// "CAT" and "EXT" with unique names, and their names are removed as soon as
// they are open: no way out of the program, a kill or a crash included,
// leaves one behind. The catalog is copied at every mount; the extents
// tree on its first use. CloseWorkFiles closes both (remount, shutdown).
//
// Node reads and writes go through the tree's NodeCache: a node is read
// from the file at its first use, with the other unread nodes of its page
// of 64, and then served from memory, and a written node is kept in memory
// until SyncWorkFile writes every changed node to the file in runs. The
// file is synced before its bytes are used as a file (the write-back of the
// flush); between syncs only the node functions below may touch it.
//
// A missing overflow extent record stops a fork copy at the last extent
// found; the copy reports it (ForkCopyStatus::kExtentsMissing) with the
// bytes copied, so the caller can tell the user the file is incomplete.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "base/big_endian.h"
#include "base/tree_work_file.h"

namespace tarvo {

struct Engine;

inline constexpr std::uint32_t kCatalogFileId = 4;
inline constexpr std::uint32_t kExtentsFileId = 3;
inline constexpr std::uint8_t kDataFork = 0x00;
inline constexpr std::uint8_t kResourceFork = 0xFF;

// An open, empty file made in the temporary folder under a unique name
// that starts with prefix, and already removed from it. Not enough free
// space for byteCount bytes, or a file that cannot be created, ends the run
// through FatalError.
std::FILE* MakeTempFile(Engine& ctx, std::string_view prefix, std::uint64_t byteCount);

// How much of the catalog its work file holds: kInPart when an overflow
// extent record is missing, so nodes past it cannot be read.
enum class CatalogCopy { kWhole, kInPart };

// (Re)creates the catalog work file from the mounted volume; any open
// extents work file is dropped so that it is copied again on first use.
// An empty first catalog extent or an unreadable header node ends the run
// through FatalError. The copy takes drCTFlSize bytes, but never more than
// lies between the volume's start and the end of a medium of known size.
CatalogCopy OpenCatalogWorkFile(Engine& ctx);
// Creates the extents work file from the three extents in the MDB; like the
// catalog's, the copy takes drXTFlSize bytes, never more than lie between
// the volume's start and the end of a medium of known size.
void OpenExtentsWorkFile(Engine& ctx);
// Closes one work file, or both.
void CloseWorkFile(TreeWorkFile& tree);
void CloseWorkFiles(Engine& ctx);

// A free-node count above the node count is set to 0.
void RepairTreeHeader(TreeWorkFile& tree);

// Nodes held by the work file.
std::uint32_t WorkFileNodeCount(const TreeWorkFile& tree);
// Reads node n into `tree.node` (nodeNumber = n, recordIndex = 0). False,
// with a zeroed node, when the work file is not open or does not hold node n.
[[nodiscard]] bool ReadNode(TreeWorkFile& tree, std::uint32_t n);
// Sets the node cache up for the open work file, from the file as it is
// now. Every node access does it first.
void PrepareNodeCache(TreeWorkFile& tree);
// Node n as the cache holds it, without making it the current node; none
// when the file does not hold it. Valid until the next node access.
const NodeBuffer* PeekNode(TreeWorkFile& tree, std::uint32_t n);
// How often node n's bytes were changed by a write since the cache was set
// up (a write of the bytes it holds does not count): a descent remembered
// at another count is out of date.
inline std::uint32_t NodeWrites(const TreeWorkFile& tree, std::uint32_t n) {
  return n < tree.cache.writes.size() ? tree.cache.writes[n] : 0;
}
// Whether node n changed since the tree last reached the medium: the
// nodes a flush writes. MarkTreeFlushed starts the count again.
inline bool NodeUnflushed(const TreeWorkFile& tree, std::uint64_t n) {
  return n < tree.cache.unflushed.size() && tree.cache.unflushed[n];
}
inline void MarkTreeFlushed(TreeWorkFile& tree) {
  tree.cache.unflushed.assign(tree.cache.unflushed.size(), false);
}
// ReadNode, and a copy of the node in `out` (zeroed on failure).
[[nodiscard]] bool ReadNodeInto(TreeWorkFile& tree, std::uint32_t n, NodeBuffer& out);
// Writes the node at the low 24 bits of n, then the header node from
// `tree.header` at node 0. False when the work file is not open or the
// buffer is not one node; a file that refuses the write is reported by the
// next SyncWorkFile.
bool WriteNode(TreeWorkFile& tree, std::uint32_t n, ConstBytes buffer);
// Writes the changed nodes to the work file. False when it refused a write.
[[nodiscard]] bool SyncWorkFile(TreeWorkFile& tree);
// Fills `out` with the synced work file's bytes from `offset` on, zeros
// past its end. A stretch the file holds as a hole is given as zeros
// without reading it: a mostly empty tree is written back without filling
// the page cache with zeros. False when the file could not be read.
[[nodiscard]] bool ReadWorkFileBytes(const TreeWorkFile& tree, std::uint64_t offset, Bytes out);

enum class ForkCopyStatus {
  kComplete,
  kExtentsMissing,  // the extents end before the fork does
  kPcFileError,     // the PC file could not be written
};

struct ForkCopy {
  ForkCopyStatus status = ForkCopyStatus::kComplete;
  std::uint32_t copiedBytes = 0;
  std::uint32_t lostBytes = 0;  // bytes of the fork that could not be read, written as zeros
};

// Copies the first byteCount bytes of a fork, described by its first extent
// record (12 bytes) and beyond it by the extents tree (WalkForkExtents,
// extent_record.h), to the PC file at its current position. forkType:
// kDataFork or kResourceFork.
ForkCopy CopyForkToFile(Engine& ctx, ConstBytes extents, std::FILE* file, std::uint32_t fileId,
                        std::uint32_t byteCount, std::uint8_t forkType);
// The same within the three extents of the record alone, without the
// extents tree (a catalog record found outside any tree): a fork that goes
// on beyond them is copied to the end of the third extent and reported as
// kExtentsMissing.
ForkCopy CopyForkFromRecord(Engine& ctx, ConstBytes extents, std::FILE* file, std::uint32_t byteCount);

// How many of the first byteCount bytes of a fork its extents hold, found
// as CopyForkToFile finds them: byteCount, or less when the extents end
// first. A damaged record may claim up to 4 GB; a copy takes no more than
// this.
std::uint32_t ForkBytesHeld(Engine& ctx, ConstBytes extents, std::uint32_t fileId, std::uint32_t byteCount,
                            std::uint8_t forkType);

}  // namespace tarvo
