// A B-tree held in a temporary work file on the PC.
//
// The catalog and extents trees are never edited on the medium: each is
// copied whole into a work file, searched and changed there, and written
// back by the flush. Node n occupies bytes n * 512 .. n * 512 + 511.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

namespace tarvo {

inline constexpr std::size_t kNodeSize = 512;
using NodeBuffer = std::array<std::uint8_t, kNodeSize>;

inline constexpr std::uint16_t kBehindLastRecord = 0xFFFF;

struct TreeWorkFile {
  NodeBuffer node{};           // the current node, the last one read
  NodeBuffer header{};         // node 0, kept for the whole mount
  std::uint32_t nodeNumber = 0;
  std::uint16_t recordIndex = 0;  // kBehindLastRecord: behind the last record
  std::uint32_t fileSize = 0;     // catalog only; 0 for the extents tree
  std::FILE* handle = nullptr;    // nullptr: not open
  bool isCatalog = false;
  std::string path;
};

}  // namespace tarvo
