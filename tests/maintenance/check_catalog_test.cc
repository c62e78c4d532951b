// The volume check on file thread records (as Macintoshes make them for
// file ID references): a sound one, one that names another folder or
// name, and a file whose flags promise a thread it lacks.
#include "maintenance/check_catalog.h"

#include <gtest/gtest.h>

#include "hfs/btree.h"
#include "hfs/catalog_delete.h"
#include "hfs/catalog_search.h"
#include "hfs/work_file.h"
#include "support/edit_volume.h"
#include "support/file_threads.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

using Problems = std::vector<std::string>;

TEST(CheckCatalogTest, FileThreadsMustMatchTheirFlaggedFile) {
  testing::EditVolume v;
  testing::WriteWholeFile(v.Path("a"), std::vector<std::uint8_t>{'a'});
  ASSERT_TRUE(v.HfsutilsWrite({"hcopy -r " + testing::ShellQuote(v.Path("a")) + " :A"}));
  v.Remount();
  const std::uint32_t id = testing::AddFileThread(v.ctx(), "A");
  ASSERT_NE(id, 0u);
  EXPECT_EQ(v.Problems(), Problems{});

  TreeWorkFile& catalog = v.ctx().volume.catalog;
  const KeyPosition at = LocateCatalogKey(catalog, "", id);
  ASSERT_TRUE(at.exists);
  const CatalogRecord thread = *ReadCatalogRecord(*RecordAt(catalog.node, at.index));
  PutU32(thread.data, thdrec::thdParID, 99);
  PutU8(thread.data, thdrec::thdCName + 1, 'X');
  ASSERT_TRUE(WriteNode(catalog, at.node, catalog.node));
  const std::string file = "\"A\" (ID " + std::to_string(id) + ")";
  EXPECT_EQ(v.Problems(), (Problems{"Catalog: the thread of " + file + " gives parent 99, the record lies in 2",
                                    "Catalog: the thread of " + file + " gives the name \"X\""}));

  ASSERT_EQ(DeleteCatalogRecord(v.ctx(), id, ""), CatalogEditStatus::kDone);
  EXPECT_EQ(v.Problems(),
            Problems{"Catalog: file " + file + " has no thread record, though its flags say it has one"});
}

}  // namespace
}  // namespace tarvo
