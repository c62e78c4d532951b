#include "hfs/extent_search.h"

#include <algorithm>

#include "base/context.h"
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

FoundRecord FindExtentRecord(Context& ctx, std::uint32_t fileId, std::uint16_t startBlock, std::uint8_t forkType) {
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

NextExtentRecord OverflowRecords(Context& ctx, std::uint32_t fileId, std::uint8_t forkType) {
  return [&ctx, fileId, forkType](std::uint16_t startBlock) -> std::optional<ExtentRecordBytes> {
    const FoundRecord found = FindExtentRecord(ctx, fileId, startBlock, forkType);
    if (!found) return std::nullopt;
    ExtentRecordBytes record{};
    std::copy_n(found.record.begin(), record.size(), record.begin());
    return record;
  };
}

}  // namespace tarvo
