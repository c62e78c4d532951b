#include "maintenance/format_layout.h"

#include <algorithm>

#include "base/big_endian.h"
#include "base/volume_state.h"
#include "hfs/btree.h"
#include "hfs/catalog_record.h"
#include "hfs/volume_header.h"

namespace tarvo {

namespace {

constexpr std::uint32_t kSectorBytes = 512;
// Sectors of the partition outside the allocation blocks besides those
// before the bitmap: the alternate header's two and 18 kept free at the end.
constexpr std::uint32_t kSectorsOutsideBlocks = 2 + 18;
constexpr std::uint16_t kExtentsKeyLength = 7;
constexpr std::uint16_t kCatalogKeyLength = 37;
constexpr std::uint32_t kHeaderMapNodes = header::kMapRecordSize * 8;
constexpr std::uint32_t kMapNodeNodes = kMapNodeRecordSize * 8;
// HFS counts allocation blocks in 16 bits.
constexpr std::uint32_t kMostBlocks = 65535;
// A tree file takes 1/kTreeShare of the volume, within these bounds.
constexpr std::uint32_t kTreeShare = 128;
constexpr std::uint32_t kMostTreeBlocks = 256;
constexpr std::uint32_t kFewestTreeBlocks = 8;

void PutName(Bytes out, std::size_t at, const std::string& name, std::size_t max);
void PutPartitionEntry(SectorBytes& s, std::uint32_t start, std::uint32_t blocks, const char* name, const char* type,
                       std::uint32_t status, std::uint32_t bootChecksum);
void PutOffsets(SectorBytes& s, std::initializer_list<std::uint16_t> offsets);
std::string VolumeNameOf(const std::string& macName) { return macName.substr(0, mdb::kVolumeNameMax); }

// Enough map nodes, right after the nodes in use, for the nodes beyond the
// header's map.
void AddMapNodes(TreeHeader& h) {
  if (h.nodes <= kHeaderMapNodes) return;
  h.mapNode = h.nodesInUse;
  h.mapNodes = (h.nodes - kHeaderMapNodes + kMapNodeNodes - 1) / kMapNodeNodes;
}

}  // namespace

FormatLayout LayoutForMedium(std::uint32_t deviceSectors) {
  FormatLayout layout;
  layout.deviceSectors = deviceSectors;
  layout.sectorsPerBlock = deviceSectors / kMostBlocks + 1;
  layout.allocBlockSize = layout.sectorsPerBlock * kSectorBytes;
  layout.bitmapSectors = deviceSectors / layout.sectorsPerBlock / (kSectorBytes * 8) + 1;
  const std::int64_t volumeSectors =
      std::int64_t{deviceSectors} - kHfsStart - layout.bitmapSectors - kSectorsOutsideBlocks;
  const std::int64_t blocks = volumeSectors / layout.sectorsPerBlock;
  const std::int64_t treeBlocks = std::min<std::int64_t>(kMostTreeBlocks, blocks / kTreeShare);
  // Too small for tree files that hold more than a handful of files: no volume.
  if (treeBlocks < kFewestTreeBlocks) return layout;
  layout.treeBlocks = static_cast<std::uint32_t>(treeBlocks);
  layout.allocBlocks = static_cast<std::uint16_t>(blocks);
  return layout;
}

SectorBytes DriverDescriptorSector(const FormatLayout& layout) {
  SectorBytes s{};
  PutU16(s, 0, 0x4552);  // "ER"
  PutU16(s, 2, kSectorBytes);
  PutU32(s, 4, layout.deviceSectors);
  PutU16(s, 16, 1);  // one driver
  PutU32(s, 18, kDriverStart);
  PutU16(s, 22, kDriverDescriptorSize);
  PutU16(s, 24, 1);  // driver type
  return s;
}

SectorBytes PartitionMapSector(const FormatLayout& layout, int entry) {
  SectorBytes s{};
  switch (entry) {
    case 0:
      PutPartitionEntry(s, kMapFirstSector, kMapBlocks, "Apple", "Apple_partition_map", 0x37, 0);
      break;
    case 1:
      PutPartitionEntry(s, kDriverStart, kDriverPartitionBlocks, "Macintosh", "Apple_Driver43", 0x7F, 0xFFFF);
      break;
    default:
      PutPartitionEntry(s, kHfsStart, layout.HfsPartitionSectors(), "MacOS", "Apple_HFS", 0x37, 0);
      break;
  }
  return s;
}

SectorBytes VolumeHeaderSector(const FormatLayout& layout, const std::string& macName, std::uint32_t now) {
  SectorBytes s{};
  const std::uint32_t treeBytes = layout.treeBlocks * layout.allocBlockSize;
  const auto treeBlocks = static_cast<std::uint16_t>(layout.treeBlocks);
  PutU16(s, mdb::drSigWord, kHfsSignature);
  PutU32(s, mdb::drCrDate, now);
  PutU32(s, mdb::drLsMod, now + 1);
  PutU16(s, mdb::drVBMSt, static_cast<std::uint16_t>(kFormatBitmapSector - kHfsStart));
  PutU16(s, mdb::drNmAlBlks, layout.allocBlocks);
  PutU32(s, mdb::drAlBlkSiz, layout.allocBlockSize);
  PutU32(s, mdb::drClpSiz, 4 * layout.allocBlockSize);
  PutU16(s, mdb::drAlBlSt, static_cast<std::uint16_t>(layout.ExtentsSector() - kHfsStart));
  PutU32(s, mdb::drNxtCNID, kFirstCatalogId);
  PutU16(s, mdb::drFreeBks, static_cast<std::uint16_t>(layout.allocBlocks - layout.FirstFreeBlock()));
  PutName(s, mdb::drVN, VolumeNameOf(macName), mdb::kVolumeNameMax);
  PutU32(s, mdb::drVolBkUp, now + 2);
  PutU32(s, mdb::drXTClpSiz, treeBytes);
  PutU32(s, mdb::drCTClpSiz, treeBytes);
  PutU32(s, mdb::drXTFlSize, treeBytes);
  PutU16(s, mdb::drXTExtRec + 2, treeBlocks);
  PutU32(s, mdb::drCTFlSize, treeBytes);
  PutU16(s, mdb::drCTExtRec, treeBlocks);
  PutU16(s, mdb::drCTExtRec + 2, treeBlocks);
  return s;
}

SectorBytes FirstBitmapSector(const FormatLayout& layout) {
  SectorBytes s{};
  for (std::uint32_t b = 0; b < layout.FirstFreeBlock(); ++b) s[b / 8] |= 0x80 >> (b % 8);
  return s;
}

SectorBytes TreeHeaderSector(const TreeHeader& h) {
  SectorBytes s{};
  PutU32(s, node::ndFLink, h.mapNode);
  PutU8(s, node::ndType, kHeaderNode);
  PutU16(s, node::ndNRecs, 3);
  PutU16(s, header::bthDepth, h.depth);
  PutU32(s, header::bthRoot, h.root);
  PutU32(s, header::bthNRecs, h.leafRecords);
  PutU32(s, header::bthFNode, h.firstLeaf);
  PutU32(s, header::bthLNode, h.lastLeaf);
  PutU16(s, header::bthNodeSize, kNodeSize);
  PutU16(s, header::bthMaxKeyLen, h.maxKeyLength);
  PutU32(s, header::bthNNodes, h.nodes);
  const std::uint32_t used = h.nodesInUse + h.mapNodes;
  PutU32(s, header::bthFree, h.nodes - used);
  for (std::uint32_t n = 0; n < used && n < kHeaderMapNodes; ++n) s[header::kMapRecord + n / 8] |= 0x80 >> (n % 8);
  // Free space, map record, user record, header record.
  PutOffsets(s, {kNodeSize - 8, header::kMapRecord, 120, node::kFirstRecord});
  return s;
}

TreeHeader ExtentsTreeHeader(const FormatLayout& layout) {
  TreeHeader h;
  h.maxKeyLength = kExtentsKeyLength;
  h.nodes = layout.TreeNodes();
  h.nodesInUse = 1;
  AddMapNodes(h);
  return h;
}

TreeHeader CatalogTreeHeader(const FormatLayout& layout) {
  TreeHeader h;
  h.depth = 1;
  h.root = 1;
  h.leafRecords = 2;
  h.firstLeaf = h.lastLeaf = 1;
  h.maxKeyLength = kCatalogKeyLength;
  h.nodes = layout.TreeNodes();
  h.nodesInUse = 2;
  AddMapNodes(h);
  return h;
}

SectorBytes MapNodeSector(std::uint32_t next) {
  SectorBytes s{};
  PutU32(s, node::ndFLink, next);
  PutU8(s, node::ndType, kMapNode);
  PutU16(s, node::ndNRecs, 1);
  // Only the header's map holds nodes in use.
  PutOffsets(s, {static_cast<std::uint16_t>(node::kFirstRecord + kMapNodeRecordSize), node::kFirstRecord});
  return s;
}

SectorBytes RootLeafSector(const std::string& macName, std::uint32_t now) {
  const std::string name = VolumeNameOf(macName);
  SectorBytes s{};
  PutU8(s, node::ndType, kLeafNode);
  PutU8(s, node::ndNHeight, 1);
  PutU16(s, node::ndNRecs, 2);

  // The root folder: key (parent 1, the volume name), data at the next even offset.
  std::size_t at = node::kFirstRecord;
  PutU8(s, at + catkey::ckrKeyLen, static_cast<std::uint8_t>(name.size() + 6));
  PutU32(s, at + catkey::ckrParID, kRootParentId);
  PutName(s, at + catkey::ckrCName, name, kMaxNameLength);
  const std::size_t dir = at + ((name.size() + 8) & ~std::size_t{1});
  PutU8(s, dir, kDirectoryRecord);
  PutU32(s, dir + dirrec::dirDirID, kRootDirId);
  PutU32(s, dir + dirrec::dirCrDat, now);
  PutU32(s, dir + dirrec::dirMdDat, now + 1);
  PutU32(s, dir + dirrec::dirBkDat, now + 2);
  const std::size_t info = dir + dirrec::dirUsrInfo;
  PutU16(s, info + 0, 80);  // window: top, left, bottom, right
  PutU16(s, info + 2, 48);
  PutU16(s, info + 4, 272);
  PutU16(s, info + 6, 480);
  PutU16(s, info + 8, 0x0100);  // Finder flags
  PutU16(s, info + 10, 112);    // location: vertical, horizontal
  PutU16(s, info + 12, 584);
  PutU16(s, info + 14, 0x0100);  // view

  // The root's thread: key (parent 2, no name), data 8 bytes on.
  const std::size_t thread = dir + dirrec::kSize;
  PutU8(s, thread + catkey::ckrKeyLen, 7);
  PutU32(s, thread + catkey::ckrParID, kRootDirId);
  PutU8(s, thread + 8, kDirectoryThread);
  PutU32(s, thread + 8 + thdrec::thdParID, kRootParentId);
  PutName(s, thread + 8 + thdrec::thdCName, name, kMaxNameLength);
  const std::size_t end = thread + 8 + thdrec::kSize;
  PutOffsets(s, {static_cast<std::uint16_t>(end), static_cast<std::uint16_t>(thread), node::kFirstRecord});
  return s;
}

namespace {

// A length byte and the characters.
void PutName(Bytes out, std::size_t at, const std::string& name, std::size_t max) {
  const std::size_t length = std::min(name.size(), max);
  PutU8(out, at, static_cast<std::uint8_t>(length));
  for (std::size_t i = 0; i < length; ++i) PutU8(out, at + 1 + i, static_cast<std::uint8_t>(name[i]));
}

// Zero-terminated text in a 32-byte field.
void PutText(SectorBytes& s, std::size_t at, const char* text) {
  for (std::size_t i = 0; text[i] != 0 && i < 31; ++i) s[at + i] = static_cast<std::uint8_t>(text[i]);
}

void PutPartitionEntry(SectorBytes& s, std::uint32_t start, std::uint32_t blocks, const char* name, const char* type,
                       std::uint32_t status, std::uint32_t bootChecksum) {
  PutU16(s, 0, 0x504D);  // "PM"
  PutU32(s, 4, kMapEntries);
  PutU32(s, 8, start);
  PutU32(s, 12, blocks);
  PutText(s, 16, name);
  PutText(s, 48, type);
  PutU32(s, 84, blocks);
  PutU32(s, 88, status);
  PutU32(s, 116, bootChecksum);
}

// The offset table from its last slot (510) downwards: the values are given
// from the lowest slot up, as they stand in the node.
void PutOffsets(SectorBytes& s, std::initializer_list<std::uint16_t> offsets) {
  std::size_t slot = kNodeSize - 2 * offsets.size();
  for (std::uint16_t offset : offsets) {
    PutU16(s, slot, offset);
    slot += 2;
  }
}

}  // namespace

}  // namespace tarvo
