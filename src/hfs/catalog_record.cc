#include "hfs/catalog_record.h"

#include <algorithm>

#include "hfs/btree.h"
#include "hfs/name_order.h"

namespace tarvo {

namespace {

constexpr std::size_t kMinKeyLength = 6;  // reserved byte, parent ID, name length

std::size_t DataSizeOf(std::uint8_t type) {
  switch (type) {
    case kDirectoryRecord: return dirrec::kSize;
    case kFileRecord: return filrec::kSize;
    case kDirectoryThread:
    case kFileThread: return thdrec::kSize;
    default: return 0;
  }
}

// The checks of a catalog key: its length and its name's fit the record.
bool KeyFits(ConstBytes record) {
  if (record.size() < 1 + kMinKeyLength) return false;
  const std::size_t keyLength = GetU8(record, catkey::ckrKeyLen);
  const std::size_t nameLength = GetU8(record, catkey::ckrCName);
  return keyLength >= kMinKeyLength && 1 + keyLength <= record.size() && nameLength <= kMaxNameLength &&
         catkey::ckrCName + 1 + nameLength <= 1 + keyLength;
}

std::string Characters(ConstBytes data, std::size_t offset, std::size_t count) {
  CheckRange(data.size(), offset, count);
  return std::string(reinterpret_cast<const char*>(data.data() + offset), count);
}

}  // namespace

std::optional<CatalogKey> ReadCatalogKey(ConstBytes record) {
  const std::optional<CatalogKeyView> view = ViewCatalogKey(record);
  if (!view) return std::nullopt;
  return CatalogKey{GetU8(record, catkey::ckrKeyLen), view->parentId, std::string(view->name)};
}

std::optional<CatalogKeyView> ViewCatalogKey(ConstBytes record) {
  if (!KeyFits(record)) return std::nullopt;
  const std::size_t nameLength = GetU8(record, catkey::ckrCName);
  CheckRange(record.size(), catkey::ckrCName + 1, nameLength);
  return CatalogKeyView{GetU32(record, catkey::ckrParID),
                        std::string_view(reinterpret_cast<const char*>(record.data()) + catkey::ckrCName + 1,
                                         nameLength)};
}

std::optional<CatalogRecord> ReadCatalogRecord(Bytes record) {
  std::optional<CatalogKey> key = ReadCatalogKey(record);
  if (!key) return std::nullopt;
  const std::optional<Bytes> data = RecordData(record);
  if (!data) return std::nullopt;
  const std::uint8_t type = GetU8(*data, 0);
  const std::size_t size = DataSizeOf(type);
  if (size == 0 || data->size() < size) return std::nullopt;
  return CatalogRecord{std::move(*key), type, data->first(size)};
}

std::optional<std::uint32_t> IndexChild(ConstBytes record) {
  if (!KeyFits(record)) return std::nullopt;
  const std::optional<std::size_t> offset = RecordDataOffset(record);
  if (!offset || *offset + 4 > record.size()) return std::nullopt;
  return GetU32(record, *offset);
}

std::vector<std::uint8_t> CatalogKeyBytes(std::uint32_t parentId, std::string_view name) {
  const std::size_t keyBytes = catkey::ckrCName + 1 + name.size();
  std::vector<std::uint8_t> key((keyBytes + 1) & ~std::size_t{1}, 0);
  PutU8(key, catkey::ckrKeyLen, static_cast<std::uint8_t>(keyBytes - 1));
  PutU32(key, catkey::ckrParID, parentId);
  PutU8(key, catkey::ckrCName, static_cast<std::uint8_t>(name.size()));
  std::copy(name.begin(), name.end(), key.begin() + catkey::ckrCName + 1);
  return key;
}

std::optional<int> CompareCatalogKeys(ConstBytes a, ConstBytes b) {
  const std::optional<CatalogKeyView> x = ViewCatalogKey(a);
  const std::optional<CatalogKeyView> y = ViewCatalogKey(b);
  if (!x || !y) return std::nullopt;
  if (x->parentId != y->parentId) return x->parentId < y->parentId ? -1 : 1;
  return CompareNames(x->name, y->name);
}

std::uint16_t Valence(const CatalogRecord& r) { return GetU16(r.data, dirrec::dirVal); }
std::uint32_t DirectoryId(const CatalogRecord& r) { return GetU32(r.data, dirrec::dirDirID); }
std::uint32_t FileId(const CatalogRecord& r) { return GetU32(r.data, filrec::filFlNum); }
std::uint32_t DataLogicalLength(const CatalogRecord& r) { return GetU32(r.data, filrec::filLgLen); }
std::uint32_t ResourceLogicalLength(const CatalogRecord& r) { return GetU32(r.data, filrec::filRLgLen); }
std::string FileType(const CatalogRecord& r) { return Characters(r.data, filrec::fdType, 4); }
std::string FileCreator(const CatalogRecord& r) { return Characters(r.data, filrec::fdCreator, 4); }
Bytes DataExtents(const CatalogRecord& r) { return r.data.subspan(filrec::filExtRec, kExtentRecordSize); }
Bytes ResourceExtents(const CatalogRecord& r) { return r.data.subspan(filrec::filRExtRec, kExtentRecordSize); }

std::uint32_t CreationDate(const CatalogRecord& r) {
  return GetU32(r.data, r.type == kFileRecord ? filrec::filCrDat : dirrec::dirCrDat);
}

std::uint32_t ModificationDate(const CatalogRecord& r) {
  return GetU32(r.data, r.type == kFileRecord ? filrec::filMdDat : dirrec::dirMdDat);
}

bool HasThreadFlag(const CatalogRecord& r) { return (GetU8(r.data, filrec::filFlags) & filrec::kThreadExists) != 0; }

std::uint32_t ThreadParentId(const CatalogRecord& r) { return GetU32(r.data, thdrec::thdParID); }

std::string ThreadName(const CatalogRecord& r) {
  const std::size_t length = std::min<std::size_t>(GetU8(r.data, thdrec::thdCName), kMaxNameLength);
  return Characters(r.data, thdrec::thdCName + 1, length);
}

bool PutThreadParentAndName(Bytes data, std::uint32_t parentId, std::string_view name) {
  if (name.size() > kMaxNameLength) return false;
  CheckRange(data.size(), 0, thdrec::kSize);
  PutU32(data, thdrec::thdParID, parentId);
  std::fill(data.begin() + thdrec::thdCName, data.begin() + thdrec::kSize, 0);
  PutU8(data, thdrec::thdCName, static_cast<std::uint8_t>(name.size()));
  std::copy(name.begin(), name.end(), data.begin() + thdrec::thdCName + 1);
  return true;
}

}  // namespace tarvo
