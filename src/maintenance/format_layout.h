// The fixed layout of a newly formatted cartridge and the sectors that
// make it, in 512-byte sectors from the start of the medium:
//
//   0                      driver descriptor (one driver: 13 blocks at 129)
//   1, 2, 3                partition map: "Apple_partition_map" (1, 128
//                          blocks), "Apple_Driver43" (129, 256 blocks),
//                          "Apple_HFS" (385 to the end)
//   129 .. 209             driver image (81 sectors, see driver_image.h)
//   387                    volume header (block 2 of the HFS partition)
//   388 ..                 volume bitmap (bitmapSectors)
//   388 + bitmapSectors    allocation block 0: extents file (treeBlocks)
//   .. + treeBlocks*factor allocation block treeBlocks: catalog file
//                          (treeBlocks)
//   deviceSectors - 2      alternate volume header (the HFS partition's
//                          second-to-last sector)
//
// The allocation factor (sectors per allocation block) is the smallest that
// keeps deviceSectors / factor under 65535, so the volume never has more
// blocks than HFS counts; the volume has (sectors - 385 - bitmapSectors -
// 20) / factor blocks, of which the two tree files take the first
// 2 * treeBlocks.
//
// Each tree file takes 1/128 of the volume's blocks, at most 256 (every
// cartridge gets 256) and at least 8: a smaller medium holds no volume.
// The header node maps 2048 nodes; a larger tree file (a 270 MB cartridge
// has 2304 nodes per tree, a 2 GB medium 16640) gets map nodes, each
// mapping 3936 more, chained from the header's ndFLink and each to the
// next, right after the nodes the format fills (from node 1 in the extents
// tree, from node 2 in the catalog), so that every node of the file is
// described and can be used. A map record is 492 bytes long, two bytes
// short of the node's room, as other HFS implementations require.
//
// The catalog's root leaf (node 1) holds the root folder (parent 1, the
// volume name; valence 0 until files are added) and its thread (parent 2,
// empty name), with the Finder window of a new volume.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace tarvo {

using SectorBytes = std::array<std::uint8_t, 512>;

inline constexpr std::uint32_t kMapFirstSector = 1;
inline constexpr std::uint32_t kMapEntries = 3;
inline constexpr std::uint32_t kMapBlocks = 128;
inline constexpr std::uint32_t kDriverStart = 129;
inline constexpr std::uint32_t kDriverPartitionBlocks = 256;
inline constexpr std::uint16_t kDriverDescriptorSize = 13;  // blocks the descriptor names
inline constexpr std::uint32_t kHfsStart = 385;
inline constexpr std::uint32_t kFormatMdbSector = kHfsStart + 2;
inline constexpr std::uint32_t kFormatBitmapSector = kFormatMdbSector + 1;
inline constexpr std::uint32_t kFirstCatalogId = 17;  // drNxtCNID of a new volume

struct FormatLayout {
  std::uint32_t deviceSectors = 0;
  std::uint32_t sectorsPerBlock = 0;  // the allocation factor
  std::uint32_t allocBlockSize = 0;   // bytes
  std::uint32_t bitmapSectors = 0;
  std::uint16_t allocBlocks = 0;      // drNmAlBlks
  std::uint32_t treeBlocks = 0;       // blocks of each tree file

  std::uint32_t ExtentsSector() const { return kFormatBitmapSector + bitmapSectors; }
  std::uint32_t CatalogSector() const { return ExtentsSector() + TreeNodes(); }
  std::uint32_t HfsPartitionSectors() const { return deviceSectors - kHfsStart; }
  std::uint32_t AlternateMdbSector() const { return kHfsStart + HfsPartitionSectors() - 2; }
  std::uint32_t TreeNodes() const { return treeBlocks * sectorsPerBlock; }
  std::uint32_t FirstFreeBlock() const { return 2 * treeBlocks; }
  // Sectors the format clears first: 750 per allocation block unit, and at
  // least the map, the driver, the bitmap and both tree files.
  std::uint32_t ClearedSectors() const { return std::max(750 * sectorsPerBlock, CatalogSector() + TreeNodes()); }
};

// The layout of a medium of deviceSectors sectors; allocBlocks is 0 when
// the medium is too small to hold a volume.
FormatLayout LayoutForMedium(std::uint32_t deviceSectors);

SectorBytes DriverDescriptorSector(const FormatLayout& layout);
// Entry 0, 1 or 2 of the partition map.
SectorBytes PartitionMapSector(const FormatLayout& layout, int entry);
// macName: Macintosh characters, at most 27 are kept.
SectorBytes VolumeHeaderSector(const FormatLayout& layout, const std::string& macName, std::uint32_t now);
// The first bitmap sector: the tree files' blocks in use.
SectorBytes FirstBitmapSector(const FormatLayout& layout);

// A header node (node 0) of a tree of 512-byte nodes.
struct TreeHeader {
  std::uint16_t depth = 0;
  std::uint32_t root = 0;
  std::uint32_t leafRecords = 0;
  std::uint32_t firstLeaf = 0;
  std::uint32_t lastLeaf = 0;
  std::uint16_t maxKeyLength = 0;
  std::uint32_t nodes = 0;
  std::uint32_t nodesInUse = 1;  // nodes 0 .. nodesInUse - 1 are marked in the map
  std::uint32_t mapNode = 0;     // the first map node, 0 for none (ndFLink)
  std::uint32_t mapNodes = 0;    // mapNode .. mapNode + mapNodes - 1, also marked
};
SectorBytes TreeHeaderSector(const TreeHeader& header);
// The headers of the two tree files; mapNode and mapNodes are set when the
// file has more nodes than the header's map covers. nodesInUse counts the
// nodes the format writes besides the map nodes.
TreeHeader ExtentsTreeHeader(const FormatLayout& layout);
TreeHeader CatalogTreeHeader(const FormatLayout& layout);
// A map node whose nodes are all free (the nodes in use, the map nodes
// included, lie in the header's map); next is its ndFLink, 0 for the last.
SectorBytes MapNodeSector(std::uint32_t next);
// Catalog node 1: the root folder and its thread.
SectorBytes RootLeafSector(const std::string& macName, std::uint32_t now);

}  // namespace tarvo
