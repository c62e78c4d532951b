// What the catalog's walks and its index rebuild (index_rebuild.h) remember
// about a tree between calls. The work file's cache keeps it with the
// nodes and drops it with them, so it never outlives the file it describes.
//
// A node summary holds what the shape walks take from one node: its type,
// record count and forward link, a leaf's first key and an index node's
// children, with the bytes it was taken from. A walk over the whole leaf
// chain so parses again only the nodes whose bytes changed.
//
// The descent memo keeps where the last few descents from the root ended.
// A descent reads only the index nodes on its way, so while none of them
// has been written (and the root is the same) the same descent ends at the
// same leaf: it is taken from memory, and only the leaf is read again. A
// copy asks for each name up to three times, and for its folder's thread
// and record once per file, mostly along an unchanged path.
//
// The shape memo keeps the last shape found (catalog_shape.h), so that
// finding it again checks the write counts of the nodes it was read from
// instead of walking.
//
// The index memo describes the catalog as the last full rebuild left it.
// When the tree still has those leaves and nothing the rebuild reads has
// changed, a new rebuild would free and take back the very same nodes and
// write the very same bytes; it is then left out. Trees with map nodes are
// always rebuilt in full. A rebuild that changes only part of the index
// builds only the index nodes whose records or neighbours change.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvo {

// A leaf's first key as an index record carries it: key length 37, the
// name padded with zeros.
using IndexKey = std::array<std::uint8_t, 38>;

struct NodeSummary {
  bool taken = false;                   // false: none taken yet
  std::uint32_t writes = 0;             // the node's write count when last found current
  std::array<std::uint8_t, 512> bytes{};  // the node it was taken from
  bool sound = false;                   // read, with a record count that fits the node
  std::uint8_t type = 0;
  std::uint16_t recordCount = 0;
  std::uint32_t forwardLink = 0;
  std::optional<IndexKey> firstKey;     // leaves with records: none when unreadable
  std::vector<std::uint32_t> children;  // index nodes: the children their records name
};

// A leaf of the chain and the key its index record carries (none for a
// leaf without records, which gets no index record).
struct ShapeLeaf {
  std::uint32_t node = 0;
  std::optional<IndexKey> firstKey;
  bool operator==(const ShapeLeaf&) const = default;
};

// What the catalog tree is made of: the leaf chain from bthFNode with the
// first key of each leaf, and the index nodes reachable from bthRoot (in
// the order a walk from the root meets them).
struct CatalogShape {
  using Leaf = ShapeLeaf;
  std::vector<Leaf> leaves;
  std::vector<std::uint32_t> indexNodes;
  std::size_t IndexedLeaves() const;
};

// The last shape found, with every node the walks read for it and that
// node's write count then. While those nodes keep their links, types and
// children, the shape stays; a new first key is taken over, and leaves a
// split put behind a leaf are spliced in. Only the nodes written since the
// last look (NodeCache::written) are looked at again. `version` changes
// whenever the leaves or their keys do.
struct ShapeMemo {
  bool valid = false;
  std::uint64_t version = 0;
  std::uint32_t firstLeaf = 0;  // bthFNode
  std::uint32_t rootNode = 0;   // bthRoot
  std::uint32_t nodeCount = 0;  // nodes of the work file
  CatalogShape shape;
  // The walk along the leaf chain: one visit per leaf of shape.leaves.
  struct ChainVisit {
    std::uint32_t writes = 0;
    std::uint32_t forwardLink = 0;
  };
  std::vector<ChainVisit> chainVisits;
  // The walk from the root: every node read, whether it was taken as an
  // index node, and then its children (a stretch of `children`).
  struct RootVisit {
    std::uint32_t node = 0;
    std::uint32_t writes = 0;
    bool index = false;
    std::uint32_t childrenBegin = 0, childrenEnd = 0;
  };
  std::vector<RootVisit> rootVisits;
  std::vector<std::uint32_t> children;
  // Per node: its place in chainVisits and in rootVisits; -1 for none.
  std::vector<std::int32_t> chainPlace, rootPlace;
};

struct DescentMemo {
  static constexpr std::size_t kMostDepth = 8;  // index levels remembered
  struct Entry {
    bool valid = false;
    bool exact = false;  // an exact descent, or one by pattern
    std::uint32_t parentId = 0;
    std::string pattern;     // the name, or the pattern
    std::uint32_t root = 0;  // bthRoot then
    std::uint8_t depth = 0;
    std::array<std::uint32_t, kMostDepth> path{};    // the index nodes passed
    std::array<std::uint32_t, kMostDepth> writes{};  // and their write counts then
    std::uint32_t leaf = 0;
    std::uint64_t used = 0;  // when it was last made or taken
  };
  std::array<Entry, 4> entries;
  std::uint64_t uses = 0;  // a new descent takes the entry used least recently
};

// An entry of an index level: a node of the level below and the key its
// index record carries.
struct IndexEntry {
  std::uint32_t node = 0;
  IndexKey key{};
  bool operator==(const IndexEntry&) const = default;
};

// A level the last rebuild made: its entries (for the leaves, those that got
// index records) and, for an index level, its nodes' write counts after the
// rebuild.
struct RebuiltLevel {
  std::vector<IndexEntry> entries;
  std::vector<std::uint32_t> writes;
};

struct IndexMemo {
  bool valid = false;
  std::uint64_t shapeVersion = 0;                  // the leaves the index was built over (ShapeMemo::version)
  std::vector<std::uint32_t> indexNodes;           // the index built, in node order
  std::vector<std::uint32_t> indexWrites;          // their write counts after the rebuild
  std::array<std::uint8_t, 256> map{};       // the header's map record after the rebuild
  std::uint32_t nodeCount = 0;               // nodes of the work file
  // bthDepth, bthRoot, bthLNode and bthNNodes after the rebuild.
  std::uint16_t depth = 0;
  std::uint32_t root = 0;
  std::uint32_t lastLeaf = 0;
  std::uint32_t nodes = 0;
  // The levels of the last rebuild, leaves first; empty when not
  // remembered. An index node that is taken again with the same
  // neighbours, over the same entries, and not written since already holds
  // the bytes a rebuild would write into it.
  std::vector<RebuiltLevel> levels;
};

}  // namespace tarvo
