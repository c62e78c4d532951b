#include "support/hfs_check.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <set>

#include "hfs/allocation.h"
#include "hfs/btree.h"
#include "hfs/catalog_record.h"
#include "hfs/extent_search.h"
#include "hfs/name_order.h"
#include "hfs/node_map.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"

namespace tarvo::testing {

namespace {

int CompareKeys(const CatalogKey& a, const CatalogKey& b) {
  if (a.parentId != b.parentId) return a.parentId < b.parentId ? -1 : 1;
  return CompareNames(a.name, b.name);
}

std::string At(std::uint32_t n) { return "node " + std::to_string(n) + ": "; }

// Every block of a fork: its first extent record, then its overflow records.
void AddForkBlocks(Context& ctx, ConstBytes first, std::uint32_t fileId, std::uint8_t fork,
                   std::map<std::uint32_t, int>& owners) {
  std::array<std::uint8_t, 12> record{};
  std::copy_n(first.begin(), 12, record.begin());
  std::uint32_t forkBlock = 0;
  for (int step = 0; step < 1000; ++step) {
    for (std::size_t i = 0; i < 3; ++i) {
      const std::uint32_t start = GetU16(record, 4 * i), count = GetU16(record, 4 * i + 2);
      for (std::uint32_t b = start; b < start + count; ++b) ++owners[b];
      forkBlock += count;
    }
    const FoundRecord next = FindExtentRecord(ctx, fileId, static_cast<std::uint16_t>(forkBlock), fork);
    if (!next) return;
    std::copy_n(next.record.begin(), 12, record.begin());
  }
}

}  // namespace

std::vector<std::string> CheckCatalogTree(TreeWorkFile& tree) {
  std::vector<std::string> problems;
  std::set<std::uint32_t> inUse{0};
  const std::uint32_t nodes = GetU32(tree.header, header::bthNNodes);
  auto read = [&](std::uint32_t n, NodeBuffer& out) {
    if (n == 0 || n >= nodes || !inUse.insert(n).second || !ReadNodeInto(tree, n, out)) {
      problems.push_back(At(n) + "bad or repeated link");
      return false;
    }
    return true;
  };

  // The leaf chain.
  std::optional<CatalogKey> previousKey;
  std::uint32_t previous = 0, records = 0;
  NodeBuffer node{};
  for (std::uint32_t n = GetU32(tree.header, header::bthFNode); n != 0; n = GetU32(node, node::ndFLink)) {
    if (!read(n, node)) break;
    if (NodeType(node) != kLeafNode || NodeHeight(node) != 1) problems.push_back(At(n) + "not a leaf");
    if (GetU32(node, node::ndBLink) != previous) problems.push_back(At(n) + "wrong back link");
    const auto leafRecords = NodeRecords(node);
    if (!leafRecords || leafRecords->empty()) problems.push_back(At(n) + "bad or empty record table");
    for (const OwnedRecord& r : leafRecords.value_or(std::vector<OwnedRecord>{})) {
      const std::optional<CatalogKey> key = ReadCatalogKey(r);
      if (!key) problems.push_back(At(n) + "unreadable key");
      else if (previousKey && CompareKeys(*previousKey, *key) >= 0) problems.push_back(At(n) + "keys out of order");
      previousKey = key;
      ++records;
    }
    previous = n;
  }
  if (previous != GetU32(tree.header, header::bthLNode)) problems.push_back("bthLNode is not the last leaf");
  if (records != GetU32(tree.header, header::bthNRecs)) problems.push_back("bthNRecs differs from the leaves");

  // The index, level by level from the root.
  std::vector<std::uint32_t> level{GetU32(tree.header, header::bthRoot)};
  int height = GetU16(tree.header, header::bthDepth);
  while (height > 1 && !level.empty()) {
    std::vector<std::uint32_t> below;
    for (std::uint32_t n : level) {
      if (!read(n, node)) return problems;
      if (NodeType(node) != kIndexNode || NodeHeight(node) != height) problems.push_back(At(n) + "wrong index node");
      const NodeBuffer index = node;
      for (const OwnedRecord& r : NodeRecords(index).value_or(std::vector<OwnedRecord>{})) {
        const std::optional<std::uint32_t> child = IndexChild(r);
        NodeBuffer childNode{};
        if (!child || !ReadNodeInto(tree, *child, childNode)) continue;
        const std::optional<Bytes> first = RecordAt(childNode, 0);
        const std::optional<CatalogKey> childKey = first ? ReadCatalogKey(*first) : std::nullopt;
        const std::optional<CatalogKey> key = ReadCatalogKey(r);
        if (r[0] != kIndexKeyLength || !key || !childKey || CompareKeys(*key, *childKey) != 0) {
          problems.push_back(At(n) + "index key differs from its child's first key");
        }
        below.push_back(*child);
      }
    }
    for (std::uint32_t n : below) inUse.erase(n);  // counted again on their own level
    level = below;
    --height;
  }
  for (std::uint32_t n : level) inUse.insert(n);

  for (std::uint32_t n = NodeForwardLink(tree.header); n != 0 && inUse.insert(n).second;) {
    if (!ReadNodeInto(tree, n, node)) break;
    n = NodeForwardLink(node);
  }
  std::uint32_t mapped = 0;
  for (std::uint32_t n = 0; n < nodes; ++n) {
    const bool set = IsNodeInUse(tree, n).value_or(false);
    mapped += set;
    if (set != (inUse.count(n) > 0)) problems.push_back(At(n) + "node map disagrees");
  }
  if (GetU32(tree.header, header::bthFree) != nodes - mapped) problems.push_back("bthFree differs from the map");
  return problems;
}

std::vector<std::string> CheckAllocation(Context& ctx) {
  std::vector<std::string> problems;
  VolumeState& v = ctx.volume;
  if (!EnsureBitmapLoaded(ctx)) return {"bitmap unreadable"};
  std::map<std::uint32_t, int> owners;
  AddForkBlocks(ctx, ConstBytes(v.mdb).subspan(mdb::drXTExtRec, 12), 3, 0, owners);
  AddForkBlocks(ctx, ConstBytes(v.mdb).subspan(mdb::drCTExtRec, 12), 4, 0, owners);

  TreeWorkFile& tree = v.catalog;
  std::vector<std::tuple<std::uint32_t, std::array<std::uint8_t, 12>, std::array<std::uint8_t, 12>>> files;
  NodeBuffer node{};
  std::set<std::uint32_t> seen;
  for (std::uint32_t n = GetU32(tree.header, header::bthFNode); n != 0 && seen.insert(n).second;
       n = GetU32(node, node::ndFLink)) {
    if (!ReadNodeInto(tree, n, node)) break;
    for (std::size_t i = 0; i < NodeRecordCount(node); ++i) {
      const std::optional<Bytes> raw = RecordAt(node, i);
      const std::optional<CatalogRecord> r = raw ? ReadCatalogRecord(*raw) : std::nullopt;
      if (!r || r->type != kFileRecord) continue;
      std::array<std::uint8_t, 12> data{}, rsrc{};
      std::copy_n(DataExtents(*r).begin(), 12, data.begin());
      std::copy_n(ResourceExtents(*r).begin(), 12, rsrc.begin());
      files.emplace_back(FileId(*r), data, rsrc);
    }
  }
  for (const auto& [id, data, rsrc] : files) {
    AddForkBlocks(ctx, data, id, 0x00, owners);
    AddForkBlocks(ctx, rsrc, id, 0xFF, owners);
  }

  const std::uint32_t blocks = GetU16(v.mdb, mdb::drNmAlBlks);
  std::uint32_t clear = 0;
  for (std::uint32_t b = 0; b < blocks; ++b) {
    const bool set = (v.bitmap[b / 8] & (0x80 >> (b % 8))) != 0;
    clear += !set;
    const int owner = owners.count(b) ? owners[b] : 0;
    if (owner > 1) problems.push_back("block " + std::to_string(b) + " belongs to two forks");
    if (set != (owner > 0)) problems.push_back("block " + std::to_string(b) + ": bitmap disagrees with the extents");
  }
  for (const auto& [b, count] : owners) {
    if (b >= blocks) problems.push_back("block " + std::to_string(b) + " beyond the volume");
  }
  if (clear != GetU16(v.mdb, mdb::drFreeBks)) problems.push_back("drFreeBks differs from the bitmap");
  if (problems.size() > 20) problems.resize(20);
  return problems;
}

}  // namespace tarvo::testing
