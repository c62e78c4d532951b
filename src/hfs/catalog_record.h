// Catalog keys and records: directory, file and thread records.
//
// A catalog leaf record is its key (key length, reserved byte, parent
// directory ID, name of 0..31 Macintosh characters) followed, at the next
// even offset, by the record data, whose first byte is the record type.
// In index records the key is always 38 bytes (key length 37, the name
// padded with zeros) and the 4-byte child node number follows it.
//
// Parsing checks every length against the record span, so a damaged record
// is reported as absent. Field offsets below count from the start of the
// record data and carry their published names; writers use them with the
// big-endian helpers on `CatalogRecord::data`.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/big_endian.h"

namespace tarvo {

inline constexpr std::size_t kMaxNameLength = 31;
inline constexpr std::uint8_t kIndexKeyLength = 37;

enum CatalogRecordType : std::uint8_t {
  kDirectoryRecord = 1,
  kFileRecord = 2,
  kDirectoryThread = 3,
  kFileThread = 4,
};

// The catalog key; `name` holds Macintosh bytes.
struct CatalogKey {
  std::uint8_t keyLength = 0;
  std::uint32_t parentId = 0;
  std::string name;
};

// Key offsets.
namespace catkey {
inline constexpr std::size_t ckrKeyLen = 0;
inline constexpr std::size_t ckrResrv1 = 1;
inline constexpr std::size_t ckrParID = 2;
inline constexpr std::size_t ckrCName = 6;  // length byte, then the characters
}  // namespace catkey

// Directory record (70 bytes).
namespace dirrec {
inline constexpr std::size_t dirFlags = 2;      // u16
inline constexpr std::size_t dirVal = 4;        // u16 valence: entries in the directory
inline constexpr std::size_t dirDirID = 6;      // u32
inline constexpr std::size_t dirCrDat = 10;     // u32
inline constexpr std::size_t dirMdDat = 14;     // u32
inline constexpr std::size_t dirBkDat = 18;     // u32
inline constexpr std::size_t dirUsrInfo = 22;   // 16 bytes: frRect, frFlags, frLocation, frView
inline constexpr std::size_t dirFndrInfo = 38;  // 16 bytes
inline constexpr std::size_t dirResrv = 54;     // 16 bytes
inline constexpr std::size_t kSize = 70;
}  // namespace dirrec

// File record (102 bytes).
namespace filrec {
inline constexpr std::size_t filFlags = 2;      // u8
inline constexpr std::uint8_t kThreadExists = 0x02;  // filFlags bit 1: the file has a thread record
inline constexpr std::size_t filTyp = 3;        // u8
inline constexpr std::size_t filUsrWds = 4;     // Finder info: fdType, fdCreator, fdFlags, fdLocation, fdFldr
inline constexpr std::size_t fdType = 4;        // 4 characters
inline constexpr std::size_t fdCreator = 8;     // 4 characters
inline constexpr std::size_t fdFlags = 12;      // u16
inline constexpr std::size_t fdLocation = 14;   // u32
inline constexpr std::size_t fdFldr = 18;       // u16
inline constexpr std::size_t filFlNum = 20;     // u32 file ID
inline constexpr std::size_t filStBlk = 24;     // u16
inline constexpr std::size_t filLgLen = 26;     // u32 data fork logical length
inline constexpr std::size_t filPyLen = 30;     // u32
inline constexpr std::size_t filRStBlk = 34;    // u16
inline constexpr std::size_t filRLgLen = 36;    // u32 resource fork logical length
inline constexpr std::size_t filRPyLen = 40;    // u32
inline constexpr std::size_t filCrDat = 44;     // u32
inline constexpr std::size_t filMdDat = 48;     // u32
inline constexpr std::size_t filBkDat = 52;     // u32
inline constexpr std::size_t filFndrInfo = 56;  // 16 bytes
inline constexpr std::size_t filClpSize = 72;   // u16
inline constexpr std::size_t filExtRec = 74;    // 12 bytes: data fork's first extents
inline constexpr std::size_t filRExtRec = 86;   // 12 bytes: resource fork's first extents
inline constexpr std::size_t filResrv = 98;     // u32
inline constexpr std::size_t kSize = 102;
}  // namespace filrec

// Thread record (46 bytes); its key is (the directory's or file's ID, "").
// A directory's thread is type 3, a file's type 4, with the same layout.
namespace thdrec {
inline constexpr std::size_t thdResrv = 2;   // 8 bytes
inline constexpr std::size_t thdParID = 10;  // u32 the directory's parent
inline constexpr std::size_t thdCName = 14;  // length byte and 31 characters
inline constexpr std::size_t kSize = 46;
}  // namespace thdrec

inline constexpr std::size_t kExtentRecordSize = 12;

// A leaf record: its key and its data (type byte first), the data long
// enough for its type. `data` points into the node it was read from.
struct CatalogRecord {
  CatalogKey key;
  std::uint8_t type = 0;
  Bytes data;
};

// The key of a leaf or index record; none when it runs past the record.
std::optional<CatalogKey> ReadCatalogKey(ConstBytes record);
// The same key read in place: the name is a view into the record, valid
// while the record's bytes are (searches compare many keys and keep none).
struct CatalogKeyView {
  std::uint32_t parentId = 0;
  std::string_view name;
};
std::optional<CatalogKeyView> ViewCatalogKey(ConstBytes record);
// A leaf record of type 1 to 4 whose data holds its whole type's layout.
std::optional<CatalogRecord> ReadCatalogRecord(Bytes record);
// The child node of an index record.
std::optional<std::uint32_t> IndexChild(ConstBytes record);

// The key (parentId, name) as a record starts with it (key length 6 + name
// length), its length made even; the name must fit (kMaxNameLength).
std::vector<std::uint8_t> CatalogKeyBytes(std::uint32_t parentId, std::string_view name);
// The catalog's key order (parent ID, then CompareNames) between the keys
// that start two records; none when either cannot be read.
std::optional<int> CompareCatalogKeys(ConstBytes a, ConstBytes b);

// Accessors of the record's data.
std::uint16_t Valence(const CatalogRecord& r);             // directory
std::uint32_t DirectoryId(const CatalogRecord& r);         // directory
std::uint32_t FileId(const CatalogRecord& r);              // file
std::uint32_t DataLogicalLength(const CatalogRecord& r);   // file
std::uint32_t ResourceLogicalLength(const CatalogRecord& r);  // file
std::string FileType(const CatalogRecord& r);              // file, 4 bytes
std::string FileCreator(const CatalogRecord& r);           // file, 4 bytes
Bytes DataExtents(const CatalogRecord& r);                 // file, 12 bytes
Bytes ResourceExtents(const CatalogRecord& r);             // file, 12 bytes
std::uint32_t CreationDate(const CatalogRecord& r);        // directory or file
std::uint32_t ModificationDate(const CatalogRecord& r);    // directory or file
bool HasThreadFlag(const CatalogRecord& r);               // file: filFlags says it has a thread
std::uint32_t ThreadParentId(const CatalogRecord& r);      // thread
std::string ThreadName(const CatalogRecord& r);            // thread
// Writes the thread's parent ID and name (zero-padded to 31 characters)
// into its data; false, with nothing written, for a name too long.
bool PutThreadParentAndName(Bytes data, std::uint32_t parentId, std::string_view name);

}  // namespace tarvo
