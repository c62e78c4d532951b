#include "hfs/btree.h"

namespace tarvo {

std::optional<std::uint16_t> CheckedRecordCount(ConstBytes n) {
  const std::uint16_t count = NodeRecordCount(n);
  if (count > kMaxRecordsPerNode) return std::nullopt;
  return count;
}

std::optional<Bytes> RecordAt(Bytes n, std::size_t index) {
  const std::optional<std::uint16_t> count = CheckedRecordCount(n);
  if (!count || index >= *count) return std::nullopt;
  // Records lie between the descriptor and the offset table, whose lowest
  // slot is the free-space offset.
  const std::size_t tableStart = OffsetSlot(*count);
  const std::size_t offset = GetU16(n, OffsetSlot(index));
  if (offset < node::kFirstRecord || offset >= tableStart || offset % 2 != 0) return std::nullopt;
  return n.subspan(offset, tableStart - offset);
}

std::uint8_t RecordKeyLength(ConstBytes record) { return GetU8(record, 0); }

std::optional<std::size_t> RecordDataOffset(ConstBytes record) {
  if (record.empty()) return std::nullopt;
  const std::size_t offset = (std::size_t{RecordKeyLength(record)} + 2) & ~std::size_t{1};
  if (offset >= record.size()) return std::nullopt;
  return offset;
}

std::optional<Bytes> RecordData(Bytes record) {
  const std::optional<std::size_t> offset = RecordDataOffset(record);
  if (!offset) return std::nullopt;
  return record.subspan(*offset);
}

}  // namespace tarvo
