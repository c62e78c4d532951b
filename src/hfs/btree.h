// The layout of HFS B-tree nodes (512 bytes) and checked access to their
// records.
//
// A node is a 14-byte descriptor, records packed upwards from offset 14,
// and a table of 16-bit record offsets growing down from the end: record
// i's offset stands at 510 - 2i, and the slot after the last record's holds
// the offset of the free space. Node 0 of every tree is the header node.
//
// Nothing here trusts the node: a record whose offset lies outside the
// record area, or whose key runs past its record, is reported as absent,
// never read past the node.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "base/big_endian.h"
#include "base/tree_work_file.h"

namespace tarvo {

// Node descriptor.
namespace node {
inline constexpr std::size_t ndFLink = 0;     // u32 next node at this level, 0 = none
inline constexpr std::size_t ndBLink = 4;     // u32 previous node at this level
inline constexpr std::size_t ndType = 8;      // u8
inline constexpr std::size_t ndNHeight = 9;   // u8 1 for leaves, +1 per index level
inline constexpr std::size_t ndNRecs = 10;    // u16
inline constexpr std::size_t ndResv2 = 12;    // u16
inline constexpr std::size_t kFirstRecord = 14;
}  // namespace node

inline constexpr std::uint8_t kIndexNode = 0x00;
inline constexpr std::uint8_t kHeaderNode = 0x01;
inline constexpr std::uint8_t kMapNode = 0x02;
inline constexpr std::uint8_t kLeafNode = 0xFF;

// Header record of node 0.
namespace header {
inline constexpr std::size_t bthDepth = 14;       // u16
inline constexpr std::size_t bthRoot = 16;        // u32
inline constexpr std::size_t bthNRecs = 20;       // u32 leaf records
inline constexpr std::size_t bthFNode = 24;       // u32 first leaf
inline constexpr std::size_t bthLNode = 28;       // u32 last leaf
inline constexpr std::size_t bthNodeSize = 32;    // u16 512
inline constexpr std::size_t bthMaxKeyLen = 34;   // u16 37 catalog, 7 extents
inline constexpr std::size_t bthNNodes = 36;      // u32 nodes in the tree file
inline constexpr std::size_t bthFree = 40;        // u32 free nodes
inline constexpr std::size_t kMapRecord = 248;    // node map, bit n = node n in use
inline constexpr std::size_t kMapRecordSize = 256;  // covers nodes 0..2047
}  // namespace header

// The record of a map node (ndType 2) made here: the node's room less two
// bytes free before the two offset slots, as other HFS implementations
// expect (they refuse a 494-byte map record); 3936 nodes.
inline constexpr std::size_t kMapNodeRecordSize = kNodeSize - node::kFirstRecord - 2 - 4;

inline std::uint8_t NodeType(ConstBytes n) { return GetU8(n, node::ndType); }
inline std::uint8_t NodeHeight(ConstBytes n) { return GetU8(n, node::ndNHeight); }
inline std::uint16_t NodeRecordCount(ConstBytes n) { return GetU16(n, node::ndNRecs); }
inline std::uint32_t NodeForwardLink(ConstBytes n) { return GetU32(n, node::ndFLink); }
// Node 0 as every sound tree has it: a header node of 512-byte nodes.
inline bool IsHeaderNode(ConstBytes n) {
  return NodeType(n) == kHeaderNode && GetU16(n, header::bthNodeSize) == kNodeSize;
}

// Position of the offset slot of record i (the free-space slot when i is
// the record count).
inline std::size_t OffsetSlot(std::size_t index) { return kNodeSize - 2 - 2 * index; }

// The most records a node can describe (a 2-byte offset each, no data).
inline constexpr std::size_t kMaxRecordsPerNode = (kNodeSize - node::kFirstRecord) / 2 - 1;

// The record count, when the node can hold that many offsets.
std::optional<std::uint16_t> CheckedRecordCount(ConstBytes n);

// Record i of the node: its bytes from its offset up to the start of the
// offset table. None when i is not below the record count or the offset
// lies outside the record area or is odd.
std::optional<Bytes> RecordAt(Bytes n, std::size_t index);

// The record's key length byte and where its data begins (key length + 1,
// rounded up to even); none when the key or the data start runs past the
// record.
std::uint8_t RecordKeyLength(ConstBytes record);
std::optional<std::size_t> RecordDataOffset(ConstBytes record);
// The record's data, from its data offset to the end of the record span.
std::optional<Bytes> RecordData(Bytes record);

// Adds delta to the header's leaf record count (bthNRecs), never below 0.
void AddLeafRecords(Bytes header, std::int64_t delta);

// A record copied out of its node: from its offset up to the next record's
// (the last one's up to the free-space offset).
using OwnedRecord = std::vector<std::uint8_t>;

// Every record of the node; none when the record count or the offsets
// (even, increasing, inside the record area) are not sound.
std::optional<std::vector<OwnedRecord>> NodeRecords(ConstBytes n);
// Bytes the records take in a node: descriptor, records at even offsets,
// and the offset table with its free-space slot.
std::size_t PackedSize(std::span<const OwnedRecord> records);
// Packs the records from offset 14 on, each at an even offset, and writes
// the offset table and ndNRecs; the unused space is zeroed. False, with
// the node unchanged, when they do not fit.
bool PackRecords(Bytes n, const std::vector<OwnedRecord>& records);

// Edits a node where it lies, moving only the records behind the edit:
// puts `record` in as record `index` (replacing the one there when
// `replace` is set, else before it), or with an empty `record` and
// `replace` set removes record `index`. The node keeps its layout: the
// same bytes PackRecords would give a packed node. False, with the node
// unchanged, when the offsets are not sound (as NodeRecords asks) or the
// result does not fit.
bool SpliceRecord(Bytes n, std::size_t index, bool replace, ConstBytes record);

}  // namespace tarvo
