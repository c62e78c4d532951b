#include "hfs/btree.h"

#include <algorithm>
#include <array>
#include <cstring>

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

void AddLeafRecords(Bytes headerNode, std::int64_t delta) {
  const std::int64_t count = std::int64_t{GetU32(headerNode, header::bthNRecs)} + delta;
  PutU32(headerNode, header::bthNRecs, static_cast<std::uint32_t>(std::clamp<std::int64_t>(count, 0, UINT32_MAX)));
}

std::optional<std::vector<OwnedRecord>> NodeRecords(ConstBytes n) {
  const std::optional<std::uint16_t> count = CheckedRecordCount(n);
  if (!count) return std::nullopt;
  std::vector<OwnedRecord> records;
  std::size_t start = GetU16(n, OffsetSlot(0));
  for (std::size_t i = 0; i < *count; ++i) {
    const std::size_t end = GetU16(n, OffsetSlot(i + 1));
    if (start < node::kFirstRecord || start % 2 != 0 || end <= start || end > OffsetSlot(*count)) {
      return std::nullopt;
    }
    records.emplace_back(n.begin() + static_cast<std::ptrdiff_t>(start), n.begin() + static_cast<std::ptrdiff_t>(end));
    start = end;
  }
  return records;
}

std::size_t PackedSize(std::span<const OwnedRecord> records) {
  std::size_t size = node::kFirstRecord + 2 * (records.size() + 1);
  for (const OwnedRecord& r : records) size += (r.size() + 1) & ~std::size_t{1};
  return size;
}

bool PackRecords(Bytes n, const std::vector<OwnedRecord>& records) {
  if (PackedSize(records) > kNodeSize) return false;
  std::fill(n.begin() + node::kFirstRecord, n.end(), 0);
  std::size_t offset = node::kFirstRecord;
  for (std::size_t i = 0; i < records.size(); ++i) {
    PutU16(n, OffsetSlot(i), static_cast<std::uint16_t>(offset));
    std::copy(records[i].begin(), records[i].end(), n.begin() + static_cast<std::ptrdiff_t>(offset));
    offset += (records[i].size() + 1) & ~std::size_t{1};
  }
  PutU16(n, OffsetSlot(records.size()), static_cast<std::uint16_t>(offset));
  PutU16(n, node::ndNRecs, static_cast<std::uint16_t>(records.size()));
  return true;
}

bool SpliceRecord(Bytes n, std::size_t index, bool replace, ConstBytes record) {
  const std::optional<std::uint16_t> count = CheckedRecordCount(n);
  if (!count || index > *count || (replace && index == *count) || (!replace && record.empty())) return false;
  std::array<std::uint16_t, kMaxRecordsPerNode + 1> offsets{};
  for (std::size_t i = 0; i <= *count; ++i) {
    offsets[i] = GetU16(n, OffsetSlot(i));
    const bool sound = i == 0 ? offsets[i] >= node::kFirstRecord && offsets[i] % 2 == 0 : offsets[i] > offsets[i - 1];
    if (!sound) return false;
  }
  const std::size_t newCount = *count + (record.empty() ? 0 : 1) - (replace ? 1 : 0);
  const std::size_t start = offsets[index];
  const std::size_t oldEnd = replace ? offsets[index + 1] : start;
  const std::size_t newSize = (record.size() + 1) & ~std::size_t{1};
  const std::size_t freeStart = offsets[*count];
  const std::size_t newFree = freeStart - (oldEnd - start) + newSize;
  if (freeStart > OffsetSlot(*count) || newFree > OffsetSlot(newCount) || newCount > kMaxRecordsPerNode) {
    return false;
  }
  const auto at = [&n](std::size_t offset) { return n.begin() + static_cast<std::ptrdiff_t>(offset); };
  std::memmove(n.data() + start + newSize, n.data() + oldEnd, freeStart - oldEnd);
  std::fill(at(start), at(start + newSize), 0);
  std::copy(record.begin(), record.end(), at(start));
  // The offset table, rebuilt from the end: records before the edit keep
  // their offsets, those behind it move with their bytes.
  const std::size_t behind = replace ? index + 1 : index;
  const std::size_t shift = newSize - (oldEnd - start);  // wraps for a shrink; the sums below wrap back
  std::size_t slot = 0;
  for (std::size_t i = 0; i < index; ++i) PutU16(n, OffsetSlot(slot++), offsets[i]);
  if (!record.empty()) PutU16(n, OffsetSlot(slot++), static_cast<std::uint16_t>(start));
  for (std::size_t i = behind; i <= *count; ++i) PutU16(n, OffsetSlot(slot++), static_cast<std::uint16_t>(offsets[i] + shift));
  std::fill(at(newFree), at(OffsetSlot(newCount)), 0);
  PutU16(n, node::ndNRecs, static_cast<std::uint16_t>(newCount));
  return true;
}

}  // namespace tarvo
