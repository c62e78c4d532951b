// A B-tree held in a temporary work file on the PC.
//
// The catalog and extents trees are never edited on the medium: each is
// copied whole into a work file, searched and changed there, and the
// nodes changed are written back by the flush. Node n occupies bytes n * 512 .. n * 512 + 511.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "base/tree_memo.h"

namespace tarvo {

inline constexpr std::size_t kNodeSize = 512;
using NodeBuffer = std::array<std::uint8_t, kNodeSize>;

inline constexpr std::uint16_t kBehindLastRecord = 0xFFFF;

// The work file's nodes held in memory (work_file.h): a node is read from
// the file once; a written node waits in memory, marked changed, until the
// work file is synced.
struct NodeCache {
  std::vector<std::vector<NodeBuffer>> pages;  // page p: nodes 64p .. 64p + 63, made on first use
  std::vector<std::uint8_t> state;            // per node: 0 not loaded, 1 as in the file, 2 changed
  std::vector<std::uint32_t> writes;          // per node: writes that changed it since the cache was set up
  std::vector<bool> unflushed;                 // per node: changed since the tree last reached the medium
  DescentMemo descents;                        // the last descents from the root (tree_memo.h)
  std::uint32_t nodeCount = 0;                 // nodes of the file, with changed ones past its end
  bool ready = false;                          // set up for the open handle
  bool changed = false;                        // some node waits to be written
};

struct TreeWorkFile {
  NodeBuffer node{};           // the current node, the last one read
  NodeBuffer header{};         // node 0, kept for the whole mount
  std::uint32_t nodeNumber = 0;
  std::uint16_t recordIndex = 0;  // kBehindLastRecord: behind the last record
  std::uint32_t fileSize = 0;     // catalog only; 0 for the extents tree
  std::FILE* handle = nullptr;    // nullptr: not open
  bool isCatalog = false;
  // bthFree has been counted from the map since the header was read; the
  // map's own edits keep it right from then on (node_map.h).
  bool freeCounted = false;
  NodeCache cache;
};

}  // namespace tarvo
