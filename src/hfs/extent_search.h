// The extents tree: overflow extent records of forks beyond the three
// extents their catalog record (or the MDB) holds.
//
// An extents leaf record is 20 bytes: the 8-byte key (key length 7, fork
// type, file ID, start block: the fork-relative allocation block at which
// the record's first extent begins) and a 12-byte extent record.
#pragma once

#include <cstdint>
#include <optional>

#include "base/big_endian.h"
#include "hfs/extent_record.h"
#include "hfs/tree_walk.h"

namespace tarvo {

struct Engine;

struct ExtentKey {
  std::uint8_t keyLength = 7;
  std::uint8_t forkType = 0;  // 0x00 data fork, 0xFF resource fork
  std::uint32_t fileId = 0;
  std::uint16_t startBlock = 0;
};

namespace extkey {
inline constexpr std::size_t xkrKeyLen = 0;
inline constexpr std::size_t xkrFkType = 1;
inline constexpr std::size_t xkrFNum = 2;
inline constexpr std::size_t xkrFABN = 6;
inline constexpr std::uint8_t kKeyLength = 7;
inline constexpr std::size_t kExtents = 8;  // the extent record follows the key
inline constexpr std::size_t kRecordSize = 20;
}  // namespace extkey

// The key of an extents leaf record holding its whole 20 bytes.
std::optional<ExtentKey> ReadExtentKey(ConstBytes record);

// The extents tree's key order (file ID, fork type, start block, all
// unsigned) between the 8-byte keys that start two records (leaf or index);
// none when either is not such a key.
std::optional<int> CompareExtentKeys(ConstBytes a, ConstBytes b);

// The extent record (its 12 bytes) whose key is exactly (forkType, fileId,
// startBlock). Opens the extents work file on first use. Every leaf along
// the chain from bthFNode is scanned; the index is not used.
FoundRecord FindExtentRecord(Engine& ctx, std::uint32_t fileId, std::uint16_t startBlock, std::uint8_t forkType);

// The fork's overflow records as WalkForkExtents takes them, found with
// FindExtentRecord; a tree that cannot be walked has none.
NextExtentRecord OverflowRecords(Engine& ctx, std::uint32_t fileId, std::uint8_t forkType);

}  // namespace tarvo
