// The sectors a format writes: geometry, the partition map, the volume
// header, the tree headers (with a map node on 270 MB cartridges), the
// root leaf, the driver image and the Desktop files.
#include "maintenance/format_layout.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "device/drive_selection.h"
#include "device/image_bus.h"
#include "hfs/btree.h"
#include "hfs/catalog_record.h"
#include "hfs/node_map.h"
#include "hfs/volume_header.h"
#include "maintenance/cartridge_icon.h"
#include "maintenance/desktop_files.h"
#include "maintenance/driver_image.h"
#include "support/hfs_nodes.h"

namespace tarvo {
namespace {

std::string Text(ConstBytes b, std::size_t at, std::size_t n) {
  return std::string(reinterpret_cast<const char*>(b.data() + at), n);
}

TEST(FormatLayoutTest, GeometryOfTheSmallestAndLargestCartridges) {
  const FormatLayout small = LayoutForMedium(86700);
  EXPECT_EQ(small.sectorsPerBlock, 2u);
  EXPECT_EQ(small.allocBlockSize, 1024u);
  EXPECT_EQ(small.bitmapSectors, 11u);
  EXPECT_EQ(small.allocBlocks, 43142u);
  const SectorBytes mdb = VolumeHeaderSector(small, "Disk", 1000);
  EXPECT_EQ(GetU16(mdb, mdb::drFreeBks), 42630u);

  const FormatLayout large = LayoutForMedium(524288);
  EXPECT_EQ(large.sectorsPerBlock, 9u);
  EXPECT_EQ(large.allocBlockSize, 4608u);
  EXPECT_EQ(large.bitmapSectors, 15u);
  // Too small for the two tree files: no volume.
  EXPECT_EQ(LayoutForMedium(1000).allocBlocks, 0u);

  // Every cartridge keeps the geometry and the 256-block tree files it
  // always had.
  for (const int megabytes : {44, 88, 105, 200, 270}) {
    const std::uint32_t sectors = CartridgeSectors(megabytes);
    const FormatLayout l = LayoutForMedium(sectors);
    const FormatGeometry g = GeometryForCapacity(sectors, 512);
    EXPECT_EQ(l.sectorsPerBlock, g.allocFactor) << megabytes;
    EXPECT_EQ(l.bitmapSectors, g.bitmapSectors) << megabytes;
    EXPECT_EQ(l.treeBlocks, 256u) << megabytes;
  }
}

TEST(FormatLayoutTest, SectorNumbersAndMapEntries) {
  const FormatLayout l = LayoutForMedium(86700);
  EXPECT_EQ(kFormatMdbSector, 387u);
  EXPECT_EQ(kFormatBitmapSector, 388u);
  EXPECT_EQ(l.ExtentsSector(), 399u);
  EXPECT_EQ(l.CatalogSector(), 399u + 512u);
  EXPECT_EQ(l.AlternateMdbSector(), 86698u);
  EXPECT_GE(l.ClearedSectors(), l.CatalogSector() + l.TreeNodes());  // both trees start zeroed

  const SectorBytes ddm = DriverDescriptorSector(l);
  EXPECT_EQ(Text(ddm, 0, 2), "ER");
  EXPECT_EQ(GetU16(ddm, 2), 512u);
  EXPECT_EQ(GetU32(ddm, 4), 86700u);
  EXPECT_EQ(GetU16(ddm, 16), 1u);
  EXPECT_EQ(GetU32(ddm, 18), 129u);
  EXPECT_EQ(GetU16(ddm, 22), 13u);
  EXPECT_EQ(GetU16(ddm, 24), 1u);

  struct Entry {
    std::uint32_t start, blocks, status, checksum;
    const char* name;
    const char* type;
  };
  const Entry entries[] = {{1, 128, 0x37, 0, "Apple", "Apple_partition_map"},
                           {129, 256, 0x7F, 0xFFFF, "Macintosh", "Apple_Driver43"},
                           {385, 86700 - 385, 0x37, 0, "MacOS", "Apple_HFS"}};
  for (int i = 0; i < 3; ++i) {
    const SectorBytes s = PartitionMapSector(l, i);
    const Entry& e = entries[i];
    EXPECT_EQ(Text(s, 0, 2), "PM");
    EXPECT_EQ(GetU32(s, 4), 3u);
    EXPECT_EQ(GetU32(s, 8), e.start);
    EXPECT_EQ(GetU32(s, 12), e.blocks);
    EXPECT_EQ(GetU32(s, 84), e.blocks);
    EXPECT_STREQ(reinterpret_cast<const char*>(&s[16]), e.name);
    EXPECT_STREQ(reinterpret_cast<const char*>(&s[48]), e.type);
    EXPECT_EQ(GetU32(s, 88), e.status);
    EXPECT_EQ(GetU32(s, 116), e.checksum);
  }
}

TEST(FormatLayoutTest, VolumeHeaderFields) {
  const FormatLayout l = LayoutForMedium(173456);  // 88 MB: 3 sectors a block
  const SectorBytes m = VolumeHeaderSector(l, "A very long volume name, cut here", 5000);
  EXPECT_EQ(GetU16(m, mdb::drSigWord), kHfsSignature);
  EXPECT_EQ(GetU32(m, mdb::drCrDate), 5000u);
  EXPECT_EQ(GetU32(m, mdb::drLsMod), 5001u);
  EXPECT_EQ(GetU32(m, mdb::drVolBkUp), 5002u);
  EXPECT_EQ(GetU16(m, mdb::drVBMSt), 3u);
  EXPECT_EQ(GetU16(m, mdb::drAlBlSt), 3u + l.bitmapSectors);
  EXPECT_EQ(GetU32(m, mdb::drAlBlkSiz), 1536u);
  EXPECT_EQ(GetU32(m, mdb::drClpSiz), 4u * 1536u);
  EXPECT_EQ(GetU32(m, mdb::drNxtCNID), 17u);
  EXPECT_EQ(m[mdb::drVN], 27u);
  EXPECT_EQ(Text(m, mdb::drVN + 1, 27), "A very long volume name, cu");
  EXPECT_EQ(GetU32(m, mdb::drCTFlSize), 256u * 1536u);
  EXPECT_EQ(GetU32(m, mdb::drXTFlSize), 256u * 1536u);
  EXPECT_EQ(GetU16(m, mdb::drXTExtRec), 0u);
  EXPECT_EQ(GetU16(m, mdb::drXTExtRec + 2), 256u);
  EXPECT_EQ(GetU16(m, mdb::drCTExtRec), 256u);
  EXPECT_EQ(GetU16(m, mdb::drCTExtRec + 2), 256u);
  EXPECT_EQ(GetU16(m, mdb::drFreeBks), l.allocBlocks - 512u);
  // The last block ends before the alternate header.
  EXPECT_LE(kHfsStart + 3 + l.bitmapSectors + std::uint32_t{l.allocBlocks} * 3, l.AlternateMdbSector());

  const SectorBytes bitmap = FirstBitmapSector(l);
  EXPECT_EQ(bitmap[63], 0xFF);
  EXPECT_EQ(bitmap[64], 0x00);
}

TEST(FormatLayoutTest, TreeHeadersAndTheMapNodeOfLargeTrees) {
  const FormatLayout small = LayoutForMedium(86700);
  const TreeHeader catalog = CatalogTreeHeader(small);
  const SectorBytes h = TreeHeaderSector(catalog);
  EXPECT_EQ(h[node::ndType], kHeaderNode);
  EXPECT_EQ(GetU16(h, node::ndNRecs), 3u);
  EXPECT_EQ(GetU32(h, node::ndFLink), 0u);
  EXPECT_EQ(GetU16(h, header::bthDepth), 1u);
  EXPECT_EQ(GetU32(h, header::bthRoot), 1u);
  EXPECT_EQ(GetU32(h, header::bthNRecs), 2u);
  EXPECT_EQ(GetU16(h, header::bthMaxKeyLen), 37u);
  EXPECT_EQ(GetU32(h, header::bthNNodes), 512u);
  EXPECT_EQ(GetU32(h, header::bthFree), 510u);
  EXPECT_EQ(h[header::kMapRecord], 0xC0);
  EXPECT_EQ(GetU16(h, 504), 504u);  // free space, map, user and header records
  EXPECT_EQ(GetU16(h, 506), 248u);
  EXPECT_EQ(GetU16(h, 508), 120u);
  EXPECT_EQ(GetU16(h, 510), 14u);
  const SectorBytes x = TreeHeaderSector(ExtentsTreeHeader(small));
  EXPECT_EQ(GetU16(x, header::bthMaxKeyLen), 7u);
  EXPECT_EQ(GetU32(x, header::bthFree), 511u);
  EXPECT_EQ(x[header::kMapRecord], 0x80);

  // 2304 nodes on a 270 MB cartridge: the header maps 2048, one map node
  // the rest; 8448 on 1 GB and 16640 on 2 GB: a chain of map nodes.
  for (const std::uint32_t sectors : {524288u, 2097152u, 4194304u}) {
    const FormatLayout large = LayoutForMedium(sectors);
    for (const TreeHeader& t : {CatalogTreeHeader(large), ExtentsTreeHeader(large)}) {
      std::vector<NodeBuffer> nodes(t.nodes, NodeBuffer{});
      const SectorBytes header = TreeHeaderSector(t);
      std::copy(header.begin(), header.end(), nodes[0].begin());
      for (std::uint32_t n = t.mapNode; n < t.mapNode + t.mapNodes; ++n) {
        const SectorBytes map = MapNodeSector(n + 1 < t.mapNode + t.mapNodes ? n + 1 : 0);
        EXPECT_EQ(GetU16(map, 508), 506u);  // a 492-byte map record, two bytes free
        std::copy(map.begin(), map.end(), nodes[n].begin());
      }
      testing::TestTree tree(nodes, t.maxKeyLength == 37);
      EXPECT_EQ(GetU32(tree.tree.header, node::ndFLink), t.mapNode);
      EXPECT_GE(NodeMapReach(tree.tree), t.nodes) << sectors;
      for (std::uint32_t n = 0; n < t.mapNode + t.mapNodes; ++n) EXPECT_EQ(IsNodeInUse(tree.tree, n), true) << n;
      EXPECT_EQ(IsNodeInUse(tree.tree, t.nodes - 1), false);
      EXPECT_EQ(CountFreeNodes(tree.tree), GetU32(tree.tree.header, header::bthFree));
    }
  }
  EXPECT_EQ(CatalogTreeHeader(LayoutForMedium(524288)).mapNodes, 1u);
}

TEST(FormatLayoutTest, RootLeafHoldsTheRootFolderAndItsThread) {
  SectorBytes leaf = RootLeafSector("Macintosh HD", 7000);
  EXPECT_EQ(leaf[node::ndType], kLeafNode);
  EXPECT_EQ(leaf[node::ndNHeight], 1u);
  const std::optional<std::vector<OwnedRecord>> records = NodeRecords(leaf);
  ASSERT_TRUE(records);
  ASSERT_EQ(records->size(), 2u);

  OwnedRecord root = (*records)[0];
  const std::optional<CatalogRecord> folder = ReadCatalogRecord(root);
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->key.keyLength, 12u + 6u);
  EXPECT_EQ(folder->key.parentId, 1u);
  EXPECT_EQ(folder->key.name, "Macintosh HD");
  EXPECT_EQ(folder->type, kDirectoryRecord);
  EXPECT_EQ(DirectoryId(*folder), 2u);
  EXPECT_EQ(Valence(*folder), 0u);
  EXPECT_EQ(CreationDate(*folder), 7000u);
  EXPECT_EQ(ModificationDate(*folder), 7001u);
  EXPECT_EQ(GetU16(folder->data, dirrec::dirUsrInfo + 4), 272u);
  EXPECT_EQ(GetU16(folder->data, dirrec::dirUsrInfo + 12), 584u);

  OwnedRecord threadBytes = (*records)[1];
  const std::optional<CatalogRecord> thread = ReadCatalogRecord(threadBytes);
  ASSERT_TRUE(thread);
  EXPECT_EQ(thread->key.parentId, 2u);
  EXPECT_EQ(thread->key.name, "");
  EXPECT_EQ(thread->type, kDirectoryThread);
  EXPECT_EQ(ThreadParentId(*thread), 1u);
  EXPECT_EQ(ThreadName(*thread), "Macintosh HD");
}

TEST(FormatDataTest, DriverImage) {
  const std::vector<std::uint8_t> image = DriverImage(86700);
  ASSERT_EQ(image.size(), 41472u);
  EXPECT_EQ(GetU32(image, 0), 0x70FF4E75u);  // MOVEQ #-1,D0; RTS
  EXPECT_EQ(GetU32(image, 24), 86700u);
  EXPECT_EQ(std::count(image.begin(), image.end(), 0), 41472 - 4 - 3);  // 86700 = 0x000152AC
}

// The resource IDs and data of a resource file, read back by the map.
std::vector<std::pair<std::string, std::int16_t>> ResourcesOf(const std::vector<std::uint8_t>& file) {
  std::vector<std::pair<std::string, std::int16_t>> found;
  const std::uint32_t data = GetU32(file, 0), map = GetU32(file, 4);
  EXPECT_EQ(data, 256u);
  EXPECT_EQ(map + GetU32(file, 12), file.size());
  EXPECT_EQ(GetU32(file, map + 4), map);  // the header's copy
  const std::size_t types = map + GetU16(file, map + 24);
  EXPECT_EQ(GetU16(file, map + 26), GetU32(file, 12));  // no names
  for (int t = 0; t <= GetU16(file, types); ++t) {
    const std::size_t entry = types + 2 + 8 * static_cast<std::size_t>(t);
    std::size_t ref = types + GetU16(file, entry + 6);
    for (int r = 0; r <= GetU16(file, entry + 4); ++r, ref += 12) {
      EXPECT_EQ(GetU16(file, ref + 2), 0xFFFFu);
      const std::uint32_t at = data + (GetU32(file, ref + 4) & 0xFFFFFF);
      EXPECT_LE(at + 4 + GetU32(file, at), map);
      found.emplace_back(Text(file, entry, 4), static_cast<std::int16_t>(GetU16(file, ref)));
    }
  }
  return found;
}

TEST(FormatDataTest, DesktopFiles) {
  const std::vector<DesktopFile> files = DesktopFiles();
  ASSERT_EQ(files.size(), 4u);
  EXPECT_EQ(files[0].name, "Desktop");
  EXPECT_EQ(files[0].typeCreator, "FNDRERIK");
  EXPECT_EQ(files[0].fork, ForkChoice::kResource);
  ASSERT_EQ(files[0].content.size(), 321u);
  EXPECT_EQ(ResourcesOf(files[0].content), (std::vector<std::pair<std::string, std::int16_t>>{{"STR ", 0}}));
  EXPECT_EQ(Text(files[0].content, 260, 11), "\x0A" "Finder 1.0");

  EXPECT_EQ(files[1].name, "Desktop DB");
  EXPECT_EQ(files[1].typeCreator, "BTFLDMGR");
  ASSERT_EQ(files[1].content.size(), 512u);
  EXPECT_TRUE(IsHeaderNode(files[1].content));
  EXPECT_EQ(GetU16(files[1].content, header::bthMaxKeyLen), 37u);
  EXPECT_EQ(GetU32(files[1].content, header::bthNNodes), 1u);
  EXPECT_EQ(GetU32(files[1].content, header::bthFree), 0u);

  EXPECT_EQ(files[2].name, "Desktop DF");
  EXPECT_EQ(files[2].typeCreator, "DTFLDMGR");
  EXPECT_EQ(files[2].content, std::vector<std::uint8_t>(512, 0));

  EXPECT_EQ(files[3].name, "Icon");
  EXPECT_EQ(files[3].typeCreator, "        ");
  ASSERT_EQ(files[3].content.size(), 2670u);
  EXPECT_EQ(ResourcesOf(files[3].content), (std::vector<std::pair<std::string, std::int16_t>>{
                                                {"ICN#", -16455}, {"icl8", -16455}, {"icl4", -16455},
                                                {"ics#", -16455}, {"ics8", -16455}, {"ics4", -16455}}));
  EXPECT_EQ(files[1].fork, ForkChoice::kData);
  EXPECT_EQ(files[2].fork, ForkChoice::kData);
  EXPECT_EQ(files[3].fork, ForkChoice::kResource);
}

TEST(FormatDataTest, IconMaskCoversThePicture) {
  const std::vector<Resource> family = CartridgeIconFamily();
  const std::vector<std::uint8_t>& icn = family[0].data;
  ASSERT_EQ(icn.size(), 256u);
  for (std::size_t i = 0; i < 128; ++i) EXPECT_EQ(icn[i] & ~icn[128 + i], 0) << i;  // no ink outside the mask
  EXPECT_EQ(family[1].data.size(), 1024u);
  EXPECT_EQ(family[2].data.size(), 512u);
  EXPECT_EQ(family[3].data.size(), 64u);
  EXPECT_EQ(family[4].data.size(), 256u);
  EXPECT_EQ(family[5].data.size(), 128u);
}

}  // namespace
}  // namespace tarvo
