#include "hfs/node_map.h"

#include <algorithm>
#include <bit>
#include <utility>
#include <vector>

#include "hfs/btree.h"
#include "hfs/tree_walk.h"
#include "hfs/work_file.h"

namespace tarvo {

namespace {

// A stretch of the map: the header's map record, or a map node's record
// (held as a copy, written back when changed).
struct MapSegment {
  std::uint32_t mapNode = 0;  // 0: the header's map record
  std::size_t offset = 0;
  std::uint32_t firstNode = 0;
  std::uint32_t bits = 0;
  std::vector<std::uint8_t> copy;  // a map node's bytes; empty for the header
};

std::vector<MapSegment> ReadMap(TreeWorkFile& tree);
Bytes SegmentBytes(TreeWorkFile& tree, MapSegment& segment);
bool BitOf(TreeWorkFile& tree, MapSegment& segment, std::uint32_t n);
bool Release(TreeWorkFile& tree, std::vector<MapSegment>& map, std::uint32_t n);
std::optional<std::uint32_t> TakeFreeNode(TreeWorkFile& tree, std::vector<MapSegment>& map, std::uint32_t limit,
                                          std::uint32_t from);
std::uint32_t NextClearBit(TreeWorkFile& tree, MapSegment& segment, std::uint32_t n, std::uint32_t end);
std::uint32_t CountClearBits(TreeWorkFile& tree, MapSegment& segment, std::uint32_t n, std::uint32_t end);
bool SetBit(TreeWorkFile& tree, MapSegment& segment, std::uint32_t n, bool inUse);
MapSegment* SegmentFor(std::vector<MapSegment>& map, std::uint32_t n);
std::uint32_t Reach(const std::vector<MapSegment>& map);
std::uint32_t AllocatableLimit(TreeWorkFile& tree, const std::vector<MapSegment>& map);

}  // namespace

std::uint32_t NodeMapReach(TreeWorkFile& tree) { return Reach(ReadMap(tree)); }

std::optional<bool> IsNodeInUse(TreeWorkFile& tree, std::uint32_t n) {
  std::vector<MapSegment> map = ReadMap(tree);
  MapSegment* segment = SegmentFor(map, n);
  if (segment == nullptr) return std::nullopt;
  return BitOf(tree, *segment, n);
}

std::uint32_t CountFreeNodes(TreeWorkFile& tree) {
  std::vector<MapSegment> map = ReadMap(tree);
  const std::uint32_t limit = AllocatableLimit(tree, map);
  std::uint32_t free = 0;
  for (MapSegment& segment : map) {
    const std::uint32_t end = std::min(limit, segment.firstNode + segment.bits);
    free += CountClearBits(tree, segment, std::max<std::uint32_t>(1, segment.firstNode), end);
  }
  return free;
}

std::uint32_t SyncFreeNodeCount(TreeWorkFile& tree) {
  const std::uint32_t free = CountFreeNodes(tree);
  PutU32(tree.header, header::bthFree, free);
  tree.freeCounted = true;
  return free;
}

std::uint32_t FreeNodeCount(TreeWorkFile& tree) {
  return tree.freeCounted ? GetU32(tree.header, header::bthFree) : SyncFreeNodeCount(tree);
}

std::optional<std::uint32_t> AllocateNode(TreeWorkFile& tree) {
  std::vector<MapSegment> map = ReadMap(tree);
  return TakeFreeNode(tree, map, AllocatableLimit(tree, map), 1);
}

bool ReleaseNode(TreeWorkFile& tree, std::uint32_t n) {
  std::vector<MapSegment> map = ReadMap(tree);
  return Release(tree, map, n);
}

std::vector<std::uint32_t> UnflushedFreeNodes(TreeWorkFile& tree) {
  std::vector<MapSegment> map = ReadMap(tree);
  std::vector<std::uint32_t> nodes;
  for (MapSegment& segment : map) {
    for (std::uint32_t n = segment.firstNode; n < segment.firstNode + segment.bits; ++n) {
      if (NodeUnflushed(tree, n) && !BitOf(tree, segment, n)) nodes.push_back(n);
    }
  }
  return nodes;
}

void ClearNodeBitsFrom(TreeWorkFile& tree, std::uint32_t first) {
  std::vector<MapSegment> map = ReadMap(tree);
  for (MapSegment& segment : map) {
    const std::uint32_t end = segment.firstNode + segment.bits;
    bool changed = false;
    for (std::uint32_t n = std::max(first, segment.firstNode); n < end; ++n) {
      Bytes bytes = SegmentBytes(tree, segment);
      const std::size_t at = segment.offset + (n - segment.firstNode) / 8;
      const auto mask = static_cast<std::uint8_t>(0x80 >> ((n - segment.firstNode) % 8));
      if ((bytes[at] & mask) != 0) {
        bytes[at] = static_cast<std::uint8_t>(bytes[at] & ~mask);
        changed = true;
      }
    }
    if (changed && segment.mapNode != 0) WriteNode(tree, segment.mapNode, segment.copy);
  }
}

bool ExtendNodeMap(TreeWorkFile& tree) {
  std::vector<MapSegment> map = ReadMap(tree);
  const std::uint32_t nodes = std::min(GetU32(tree.header, header::bthNNodes), WorkFileNodeCount(tree));
  // Each turn adds a map node, so the map's reach passes the tree's end
  // after nodes / kMapNodeRecordSize / 8 turns at most.
  while (Reach(map) < nodes) {
    if (NodeForwardLink(SegmentBytes(tree, map.back())) != 0) return false;  // the chain goes on unread
    const std::uint32_t reach = Reach(map);
    const std::optional<std::uint32_t> free = TakeFreeNode(tree, map, AllocatableLimit(tree, map), 1);
    MapSegment added;
    added.mapNode = free.value_or(reach);
    added.offset = node::kFirstRecord;
    added.firstNode = reach;
    added.bits = kMapNodeRecordSize * 8;
    added.copy.assign(kNodeSize, 0);
    PutU8(added.copy, node::ndType, kMapNode);
    PackRecords(added.copy, {OwnedRecord(kMapNodeRecordSize, 0)});
    const bool written =
        free ? WriteNode(tree, added.mapNode, added.copy) : SetBit(tree, added, added.mapNode, true);
    if (!written) return false;
    // Linked in only once it is on file.
    MapSegment& last = map.back();
    PutU32(SegmentBytes(tree, last), node::ndFLink, added.mapNode);
    if (!WriteNode(tree, last.mapNode, last.mapNode == 0 ? ConstBytes(tree.header) : ConstBytes(last.copy))) {
      return false;
    }
    map.push_back(std::move(added));
  }
  SyncFreeNodeCount(tree);
  return true;
}

namespace {

std::vector<MapSegment> ReadMap(TreeWorkFile& tree) {
  std::vector<MapSegment> map;
  MapSegment head;
  head.offset = header::kMapRecord;
  head.bits = header::kMapRecordSize * 8;
  map.push_back(head);
  if (NodeForwardLink(tree.header) == 0) return map;
  // Map nodes follow the header along ndFLink; the walk visits each once.
  TreeWalk walk = StartWalk(tree);
  std::uint32_t next = NodeForwardLink(tree.header);
  while (next != 0 && WalkTo(tree, walk, next) && NodeType(tree.node) == kMapNode && NodeRecordCount(tree.node) >= 1) {
    MapSegment segment;
    segment.mapNode = next;
    segment.copy.assign(tree.node.begin(), tree.node.end());
    const std::uint16_t count = NodeRecordCount(tree.node);
    const std::size_t start = GetU16(tree.node, OffsetSlot(0));
    const std::size_t end = GetU16(tree.node, OffsetSlot(1));
    if (start < node::kFirstRecord || end <= start || end > OffsetSlot(count)) break;
    segment.offset = start;
    segment.firstNode = Reach(map);
    segment.bits = static_cast<std::uint32_t>((end - start) * 8);
    map.push_back(segment);
    next = NodeForwardLink(tree.node);
  }
  return map;
}

Bytes SegmentBytes(TreeWorkFile& tree, MapSegment& segment) {
  return segment.mapNode == 0 ? Bytes(tree.header) : Bytes(segment.copy);
}

bool BitOf(TreeWorkFile& tree, MapSegment& segment, std::uint32_t n) {
  const std::uint32_t bit = n - segment.firstNode;
  return (SegmentBytes(tree, segment)[segment.offset + bit / 8] & (0x80 >> (bit % 8))) != 0;
}

bool Release(TreeWorkFile& tree, std::vector<MapSegment>& map, std::uint32_t n) {
  MapSegment* segment = SegmentFor(map, n);
  if (n == 0 || n >= AllocatableLimit(tree, map) || segment == nullptr || !BitOf(tree, *segment, n)) return false;
  if (!WriteNode(tree, n, NodeBuffer{}) || !SetBit(tree, *segment, n, false)) return false;
  const std::uint32_t free = GetU32(tree.header, header::bthFree) + 1;
  PutU32(tree.header, header::bthFree, std::min(free, GetU32(tree.header, header::bthNNodes)));
  return true;
}

// The first free node from `from` on (never node 0) below limit, taken:
// its bit set, bthFree lowered.
std::optional<std::uint32_t> TakeFreeNode(TreeWorkFile& tree, std::vector<MapSegment>& map, std::uint32_t limit,
                                          std::uint32_t from) {
  for (MapSegment& segment : map) {
    const std::uint32_t end = std::min(limit, segment.firstNode + segment.bits);
    const std::uint32_t n = NextClearBit(tree, segment, std::max({from, segment.firstNode, 1u}), end);
    if (n < end) {
      if (!SetBit(tree, segment, n, true)) return std::nullopt;
      const std::uint32_t free = GetU32(tree.header, header::bthFree);
      PutU32(tree.header, header::bthFree, free > 0 ? free - 1 : 0);
      return n;
    }
  }
  return std::nullopt;
}

// The first node from n on, before end, whose bit is clear; end when none.
// Whole words and bytes of nodes in use are passed at once.
std::uint32_t NextClearBit(TreeWorkFile& tree, MapSegment& segment, std::uint32_t n, std::uint32_t end) {
  const ConstBytes bytes = SegmentBytes(tree, segment);
  while (n < end) {
    const std::uint32_t bit = n - segment.firstNode;
    const std::size_t at = segment.offset + bit / 8;
    if (bit % 8 == 0 && end - n >= 32 && GetU32(bytes, at) == 0xFFFFFFFF) {
      n += 32;
    } else if (bit % 8 == 0 && bytes[at] == 0xFF) {
      n += 8;
    } else if ((bytes[at] & (0x80 >> (bit % 8))) == 0) {
      return n;
    } else {
      ++n;
    }
  }
  return end;
}

// The clear bits of the nodes from n on, before end; whole words and bytes
// are counted at once.
std::uint32_t CountClearBits(TreeWorkFile& tree, MapSegment& segment, std::uint32_t n, std::uint32_t end) {
  const ConstBytes bytes = SegmentBytes(tree, segment);
  std::uint32_t clear = 0;
  while (n < end) {
    const std::uint32_t bit = n - segment.firstNode;
    const std::uint8_t byte = bytes[segment.offset + bit / 8];
    if (bit % 8 == 0 && end - n >= 32) {
      clear += 32 - static_cast<std::uint32_t>(std::popcount(GetU32(bytes, segment.offset + bit / 8)));
      n += 32;
    } else if (bit % 8 == 0 && end - n >= 8) {
      clear += 8 - static_cast<std::uint32_t>(std::popcount(byte));
      n += 8;
    } else {
      clear += (byte & (0x80 >> (bit % 8))) == 0 ? 1 : 0;
      ++n;
    }
  }
  return clear;
}

bool SetBit(TreeWorkFile& tree, MapSegment& segment, std::uint32_t n, bool inUse) {
  const std::uint32_t bit = n - segment.firstNode;
  std::uint8_t& byte = SegmentBytes(tree, segment)[segment.offset + bit / 8];
  const auto mask = static_cast<std::uint8_t>(0x80 >> (bit % 8));
  byte = static_cast<std::uint8_t>(inUse ? byte | mask : byte & ~mask);
  return segment.mapNode == 0 || WriteNode(tree, segment.mapNode, segment.copy);
}

MapSegment* SegmentFor(std::vector<MapSegment>& map, std::uint32_t n) {
  for (MapSegment& segment : map) {
    if (n >= segment.firstNode && n - segment.firstNode < segment.bits) return &segment;
  }
  return nullptr;
}

std::uint32_t Reach(const std::vector<MapSegment>& map) { return map.back().firstNode + map.back().bits; }

std::uint32_t AllocatableLimit(TreeWorkFile& tree, const std::vector<MapSegment>& map) {
  return std::min({GetU32(tree.header, header::bthNNodes), Reach(map), WorkFileNodeCount(tree)});
}

}  // namespace

}  // namespace tarvo
