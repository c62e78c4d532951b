// The tree headers a format writes on large media: the header's map record
// goes on in a chain of map nodes that covers every node.
#include "maintenance/format_layout.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "hfs/btree.h"
#include "hfs/node_map.h"
#include "support/hfs_nodes.h"

namespace tarvo {
namespace {

TEST(FormatLayoutTest, TheMapNodesOfLargeTreesCoverEveryNode) {
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

}  // namespace
}  // namespace tarvo
