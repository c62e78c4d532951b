#include "support/hfs_nodes.h"

#include <cstdio>
#include <stdexcept>

#include "base/big_endian.h"
#include "hfs/btree.h"

namespace tarvo::testing {

namespace {

RecordBytes Key(std::uint32_t parentId, const std::string& name, bool padded) {
  const std::size_t nameBytes = padded ? 31 : name.size();
  RecordBytes key(1 + 6 + nameBytes);
  key[0] = static_cast<std::uint8_t>(6 + nameBytes);
  PutU32(key, 2, parentId);
  key[6] = static_cast<std::uint8_t>(name.size());
  for (std::size_t i = 0; i < name.size(); ++i) key[7 + i] = static_cast<std::uint8_t>(name[i]);
  if (key.size() % 2 != 0) key.push_back(0);
  return key;
}

RecordBytes WithData(RecordBytes key, std::size_t dataSize, std::uint8_t type) {
  const std::size_t dataStart = key.size();
  key.resize(dataStart + dataSize);
  key[dataStart] = type;
  return key;
}

}  // namespace

NodeBuffer BuildNode(std::uint8_t type, std::uint8_t height, std::uint32_t forwardLink,
                     const std::vector<RecordBytes>& records) {
  NodeBuffer n{};
  PutU32(n, node::ndFLink, forwardLink);
  PutU8(n, node::ndType, type);
  PutU8(n, node::ndNHeight, height);
  PutU16(n, node::ndNRecs, static_cast<std::uint16_t>(records.size()));
  std::size_t offset = node::kFirstRecord;
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (offset + records[i].size() > OffsetSlot(records.size())) throw std::length_error("records overflow node");
    PutU16(n, OffsetSlot(i), static_cast<std::uint16_t>(offset));
    std::copy(records[i].begin(), records[i].end(), n.begin() + offset);
    offset += records[i].size();
  }
  PutU16(n, OffsetSlot(records.size()), static_cast<std::uint16_t>(offset));
  return n;
}

NodeBuffer BuildHeaderNode(std::uint32_t root, std::uint32_t firstLeaf, std::uint16_t depth, std::uint32_t nodes,
                           std::uint16_t maxKeyLength) {
  NodeBuffer n = BuildNode(kHeaderNode, 0, 0, {RecordBytes(106), RecordBytes(128), RecordBytes(256)});
  PutU16(n, header::bthDepth, depth);
  PutU32(n, header::bthRoot, root);
  PutU32(n, header::bthFNode, firstLeaf);
  PutU16(n, header::bthNodeSize, 512);
  PutU16(n, header::bthMaxKeyLen, maxKeyLength);
  PutU32(n, header::bthNNodes, nodes);
  return n;
}

RecordBytes DirectoryRecord(std::uint32_t parentId, const std::string& name, std::uint32_t dirId,
                            std::uint16_t valence) {
  RecordBytes r = WithData(Key(parentId, name, false), 70, 1);
  const std::size_t data = r.size() - 70;
  PutU16(r, data + 4, valence);
  PutU32(r, data + 6, dirId);
  return r;
}

RecordBytes FileRecord(std::uint32_t parentId, const std::string& name, std::uint32_t fileId) {
  RecordBytes r = WithData(Key(parentId, name, false), 102, 2);
  PutU32(r, r.size() - 102 + 20, fileId);
  return r;
}

RecordBytes ThreadRecord(std::uint32_t dirId, std::uint32_t parentId, const std::string& name) {
  RecordBytes r = WithData(Key(dirId, "", false), 46, 3);
  const std::size_t data = r.size() - 46;
  PutU32(r, data + 10, parentId);
  r[data + 14] = static_cast<std::uint8_t>(name.size());
  for (std::size_t i = 0; i < name.size(); ++i) r[data + 15 + i] = static_cast<std::uint8_t>(name[i]);
  return r;
}

RecordBytes IndexRecord(std::uint32_t parentId, const std::string& name, std::uint32_t child) {
  RecordBytes r = Key(parentId, name, true);
  r.resize(r.size() + 4);
  PutU32(r, r.size() - 4, child);
  return r;
}

RecordBytes ExtentRecord(std::uint8_t forkType, std::uint32_t fileId, std::uint16_t startBlock,
                         std::uint16_t firstStart, std::uint16_t firstCount) {
  RecordBytes r(20);
  r[0] = 7;
  r[1] = forkType;
  PutU32(r, 2, fileId);
  PutU16(r, 6, startBlock);
  PutU16(r, 8, firstStart);
  PutU16(r, 10, firstCount);
  return r;
}

TestTree::TestTree(const std::vector<NodeBuffer>& nodes, bool isCatalog) {
  tree.isCatalog = isCatalog;
  tree.handle = std::tmpfile();
  if (tree.handle == nullptr) throw std::runtime_error("no temporary file");
  for (const NodeBuffer& n : nodes) std::fwrite(n.data(), 1, n.size(), tree.handle);
  std::fflush(tree.handle);
  if (!nodes.empty()) tree.header = nodes.front();
}

TestTree::~TestTree() {
  if (tree.handle != nullptr) std::fclose(tree.handle);
}

}  // namespace tarvo::testing
