// Hand-built B-tree nodes and work files, for tests that need exact (or
// exactly damaged) trees.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/tree_work_file.h"

namespace tarvo::testing {

using RecordBytes = std::vector<std::uint8_t>;

// A node with the records packed from offset 14 and the offset table.
NodeBuffer BuildNode(std::uint8_t type, std::uint8_t height, std::uint32_t forwardLink,
                     const std::vector<RecordBytes>& records);
NodeBuffer BuildHeaderNode(std::uint32_t root, std::uint32_t firstLeaf, std::uint16_t depth, std::uint32_t nodes,
                           std::uint16_t maxKeyLength = 37);

RecordBytes DirectoryRecord(std::uint32_t parentId, const std::string& name, std::uint32_t dirId,
                            std::uint16_t valence);
RecordBytes FileRecord(std::uint32_t parentId, const std::string& name, std::uint32_t fileId);
RecordBytes ThreadRecord(std::uint32_t dirId, std::uint32_t parentId, const std::string& name);
RecordBytes IndexRecord(std::uint32_t parentId, const std::string& name, std::uint32_t child);
RecordBytes ExtentRecord(std::uint8_t forkType, std::uint32_t fileId, std::uint16_t startBlock,
                         std::uint16_t firstStart, std::uint16_t firstCount);

// A tree work file (an anonymous temporary file) holding the nodes, its
// header read from node 0. Closes the file when it goes.
struct TestTree {
  explicit TestTree(const std::vector<NodeBuffer>& nodes, bool isCatalog = true);
  ~TestTree();
  TestTree(const TestTree&) = delete;
  TestTree& operator=(const TestTree&) = delete;
  TreeWorkFile tree;
};

}  // namespace tarvo::testing
