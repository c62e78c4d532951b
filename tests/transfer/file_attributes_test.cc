#include "transfer/file_attributes.h"

#include <gtest/gtest.h>

#include "hfs/mac_date.h"
#include "hfs/work_file.h"
#include "support/edit_volume.h"
#include "ui/attributes_dialog.h"
#include "ui/dispatcher.h"
#include "ui/listing.h"
#include "ui/menu_model.h"
#include "ui/selection_commands.h"

namespace tarvo {
namespace {

using testing::ShellQuote;
using Data = std::vector<std::uint8_t>;

const Data kText = {'t', 'e', 'x', 't', '\n'};
const Data kRsrc(700, 0x5A);

class FileAttributesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string both = v_.Path("both.bin");
    testing::WriteWholeFile(both, testing::MacBinaryFile("Both", "TEXT", "ttxt", kText, kRsrc));
    testing::WriteWholeFile(v_.Path("plain"), kText);
    ASSERT_TRUE(v_.HfsutilsWrite({"hcopy -m " + ShellQuote(both) + " :Both",
                                  "hcopy -r " + ShellQuote(v_.Path("plain")) + " :Plain",
                                  "hattrib -t TEXT -c ttxt :Plain"}));
    v_.Remount();
    LoadListing(v_.ctx());
  }
  Data Record(const std::string& name) {
    const std::optional<CatalogRecord> r = FindFileRecord(v_.ctx(), name);
    return r ? Data(r->data.begin(), r->data.end()) : Data{};
  }
  void Select(const std::string& name) {
    DeselectAll(v_.ctx().listing);
    ASSERT_EQ(SelectMatching(v_.ctx().listing, name), 1);
  }

  testing::EditVolume v_;
};

TEST_F(FileAttributesTest, WriteWithoutChangesKeepsEveryByte) {
  std::optional<CatalogRecord> r = FindFileRecord(v_.ctx(), "Both");
  ASSERT_TRUE(r);
  PutU32(r->data, filrec::filCrDat, 3000000007u);
  PutU32(r->data, filrec::filMdDat, 3100000059u);
  TreeWorkFile& catalog = v_.ctx().volume.catalog;
  ASSERT_TRUE(WriteNode(catalog, catalog.nodeNumber, catalog.node));
  const Data before = Record("Both");
  EXPECT_EQ(EditAttributes(v_.ctx(), "Both", nullptr), 0);  // the end of the answers: Quit
  v_.ui().answers = {"write"};
  EXPECT_EQ(EditAttributes(v_.ctx(), "Both", nullptr), 1);
  EXPECT_EQ(Record("Both"), before);
}

TEST_F(FileAttributesTest, TheDialogRefusesNoDatesAndShowsTheExtents) {
  const Data record = Record("Both");
  AttributesDialog dialog(v_.ctx(), "Both", record, nullptr);
  dialog.SetCreated({"31", "4", "99", "0", "0"});
  dialog.Write();
  EXPECT_FALSE(dialog.closed());
  EXPECT_EQ(v_.ui().beeps, 1);
  dialog.SetCreated({"30", "4", "1999", "0", "0"});
  dialog.Write();
  EXPECT_EQ(dialog.result(), 2);
  EXPECT_EQ(GetU32(dialog.record(), filrec::filCrDat), *FieldsToMacDate({30, 4, 99, 0, 0, 0}));
  const std::uint32_t perBlock = v_.ctx().volume.sectorsPerBlock;
  const std::string start = std::to_string(GetU16(record, filrec::filRExtRec) * perBlock);
  EXPECT_EQ(dialog.extents().resourceExtents,
            start + "/" + std::to_string(GetU16(record, filrec::filRExtRec + 2) * perBlock) + ", 0/0, 0/0");
  EXPECT_EQ(dialog.dataLength(), "5");
  EXPECT_EQ(dialog.resourceLength(), "700");
}

TEST_F(FileAttributesTest, AProtectedMediumAsksBeforeWriting) {
  const Data record = Record("Plain");
  AttributesDialog dialog(v_.ctx(), "Plain", record, [] { return true; });
  dialog.SetType("ZZZZ");
  v_.ui().answers = {"cancel"};
  dialog.Write();
  EXPECT_EQ(dialog.result(), 0);
  EXPECT_EQ(v_.ui().boxes, std::vector<std::string>{"Write-protected media."});
}

TEST_F(FileAttributesTest, AnEmptyResourceForkSwapsIntoAnEmptyDataFork) {
  EXPECT_EQ(SwapForks(v_.ctx(), "Plain"), kSwapDone);
  EXPECT_EQ(SwapForks(v_.ctx(), "Both"), kSwapDone);
  EXPECT_EQ(v_.Problems(), std::vector<std::string>{});
  testing::ExtractedFile plain = v_.HfsutilsFile(":Plain");
  EXPECT_TRUE(plain.data.empty());
  EXPECT_EQ(plain.rsrc, kText);
  testing::ExtractedFile both = v_.HfsutilsFile(":Both");
  EXPECT_EQ(both.data, kRsrc);
  EXPECT_EQ(both.rsrc, kText);
  EXPECT_EQ(SwapForks(v_.ctx(), "Nobody"), kSwapNoFile);
}

TEST_F(FileAttributesTest, OverflowExtentsBlockTheSwap) {
  const std::uint32_t block = v_.ctx().volume.allocBlockSize;
  std::optional<CatalogRecord> r = FindFileRecord(v_.ctx(), "Both");
  ASSERT_TRUE(r);
  PutU32(r->data, filrec::filRPyLen, GetU32(r->data, filrec::filRPyLen) + block);
  TreeWorkFile& catalog = v_.ctx().volume.catalog;
  ASSERT_TRUE(WriteNode(catalog, catalog.nodeNumber, catalog.node));
  const Data before = Record("Both");
  EXPECT_EQ(SwapForks(v_.ctx(), "Both"), kSwapResourceOverflow);

  r = FindFileRecord(v_.ctx(), "Plain");
  PutU32(r->data, filrec::filPyLen, GetU32(r->data, filrec::filPyLen) + block);
  ASSERT_TRUE(WriteNode(catalog, catalog.nodeNumber, catalog.node));
  EXPECT_EQ(SwapForks(v_.ctx(), "Plain"), kSwapDataOverflow);
  EXPECT_EQ(Record("Both"), before);

  v_.ctx().volume.writeVerdict = WriteVerdict{};
  Select("Plain");
  DispatchCommand(v_.ctx(), kMenuSwapForks);
  EXPECT_EQ(v_.ui().messages, std::vector<std::string>{"Unable to swap data and resource forks."});
}

}  // namespace
}  // namespace tarvo
