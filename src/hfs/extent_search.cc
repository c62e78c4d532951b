#include "hfs/extent_search.h"

#include <algorithm>
#include <tuple>

#include "base/engine.h"
#include "hfs/btree.h"
#include "hfs/work_file.h"

namespace tarvo {

std::optional<ExtentKey> ReadExtentKey(ConstBytes record) {
  if (record.size() < extkey::kRecordSize || GetU8(record, extkey::xkrKeyLen) != extkey::kKeyLength) {
    return std::nullopt;
  }
  ExtentKey key;
  key.keyLength = GetU8(record, extkey::xkrKeyLen);
  key.forkType = GetU8(record, extkey::xkrFkType);
  key.fileId = GetU32(record, extkey::xkrFNum);
  key.startBlock = GetU16(record, extkey::xkrFABN);
  return key;
}

std::optional<int> CompareExtentKeys(ConstBytes a, ConstBytes b) {
  const auto key = [](ConstBytes r) -> std::optional<std::tuple<std::uint32_t, std::uint8_t, std::uint16_t>> {
    if (r.size() < extkey::kExtents || GetU8(r, extkey::xkrKeyLen) != extkey::kKeyLength) return std::nullopt;
    return std::make_tuple(GetU32(r, extkey::xkrFNum), GetU8(r, extkey::xkrFkType), GetU16(r, extkey::xkrFABN));
  };
  const auto x = key(a);
  const auto y = key(b);
  if (!x || !y) return std::nullopt;
  return *x < *y ? -1 : (*y < *x ? 1 : 0);
}

FoundRecord FindExtentRecord(Engine& ctx, std::uint32_t fileId, std::uint16_t startBlock, std::uint8_t forkType) {
  TreeWorkFile& tree = ctx.volume.extents;
  if (tree.handle == nullptr) OpenExtentsWorkFile(ctx);
  RepairTreeHeader(tree);

  TreeWalk walk = StartWalk(tree);
  for (std::uint32_t n = GetU32(tree.header, header::bthFNode); n != 0; n = NodeForwardLink(tree.node)) {
    if (!WalkTo(tree, walk, n) || NodeType(tree.node) != kLeafNode) return FoundRecord{SearchStatus::kDamaged, {}};
    const std::uint16_t count = NodeRecordCount(tree.node);
    for (std::uint16_t i = 0; i < count; ++i) {
      const std::optional<Bytes> record = RecordAt(tree.node, i);
      const std::optional<ExtentKey> key = record ? ReadExtentKey(*record) : std::nullopt;
      if (key && key->fileId == fileId && key->startBlock == startBlock && key->forkType == forkType) {
        tree.recordIndex = i;
        return FoundRecord{SearchStatus::kFound, record->subspan(extkey::kExtents, 12)};
      }
    }
  }
  return FoundRecord{};
}

NextExtentRecord OverflowRecords(Engine& ctx, std::uint32_t fileId, std::uint8_t forkType) {
  return [&ctx, fileId, forkType](std::uint16_t startBlock) -> std::optional<ExtentRecordBytes> {
    const FoundRecord found = FindExtentRecord(ctx, fileId, startBlock, forkType);
    if (!found) return std::nullopt;
    ExtentRecordBytes record{};
    std::copy_n(found.record.begin(), record.size(), record.begin());
    return record;
  };
}

}  // namespace tarvo
