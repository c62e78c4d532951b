#include "ui/dump_view.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/byte_pattern.h"
#include "support/edit_volume.h"
#include "transfer/file_attributes.h"
#include "ui/dispatcher.h"
#include "ui/listing.h"
#include "ui/menu_model.h"

namespace tarvo {
namespace {

using testing::PatternBytes;
using testing::ShellQuote;
using Data = std::vector<std::uint8_t>;

class DumpViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::WriteWholeFile(v_.Path("big"), PatternBytes(3000));
    testing::WriteWholeFile(v_.Path("one"), PatternBytes(512));
    testing::WriteWholeFile(v_.Path("empty"), {});
    const std::string rsrcOnly = v_.Path("r.bin");
    testing::WriteWholeFile(rsrcOnly, testing::MacBinaryFile("Rsrc", "TEXT", "ttxt", {}, PatternBytes(100)));
    ASSERT_TRUE(v_.HfsutilsWrite({"hcopy -r " + ShellQuote(v_.Path("big")) + " :Big",
                                  "hcopy -r " + ShellQuote(v_.Path("one")) + " :One",
                                  "hcopy -r " + ShellQuote(v_.Path("empty")) + " :Empty",
                                  "hcopy -m " + ShellQuote(rsrcOnly) + " :Rsrc"}));
    v_.Remount();
    ASSERT_EQ(v_.ctx().volume.allocBlockSize, 512u);
  }
  static Data LineBytes(const std::string& line) {
    Data bytes;
    for (std::size_t i = 0; i < 16; ++i) bytes.push_back(std::stoi(line.substr(9 + 3 * i + (i >= 8), 2), nullptr, 16));
    return bytes;
  }
  void ExpectScreenAt(const DumpView& view, std::uint32_t position) {
    const std::vector<std::string> lines = view.ScreenLines();
    ASSERT_EQ(lines.size(), 32u);
    const Data content = PatternBytes(3000);
    for (std::uint32_t k = 0; k < 32; ++k) {
      const std::uint32_t at = position + 16 * k;
      Data expected(16, 0);
      for (std::uint32_t i = 0; i < 16 && at + i < content.size(); ++i) expected[i] = content[at + i];
      ASSERT_EQ(LineBytes(lines[k]), expected) << "line " << k << " at " << at;
      ASSERT_EQ(std::stoul(lines[k].substr(0, 8)), at);
    }
  }

  testing::EditVolume v_;
};

TEST_F(DumpViewTest, ScrollingMovesByLinesAndPagesWithinTheFork) {
  DumpView view(v_.ctx(), "Big");
  ASSERT_TRUE(view.found());
  EXPECT_EQ(view.title(), "Dumping file \"Big\"");
  EXPECT_EQ(view.fork(), DumpFork::kData);
  EXPECT_FALSE(view.resourceEnabled());
  EXPECT_EQ(view.length(), 3072u);
  EXPECT_EQ(view.scrollUnit(), 128u);
  EXPECT_EQ(view.scrollRange(), 24u);
  ExpectScreenAt(view, 0);
  for (int i = 0; i < 3; ++i) view.LineDown();  // 384: the window still starts at a whole sector
  ExpectScreenAt(view, 384);
  view.PageDown();
  ExpectScreenAt(view, 896);
  EXPECT_EQ(view.thumb(), 7u);
  EXPECT_LE(view.bufferEnd() - view.bufferStart(), 1536u);
  view.Bottom();
  EXPECT_EQ(view.position(), 2560u);
  ExpectScreenAt(view, 2560);
  view.PageDown();
  EXPECT_EQ(view.position(), 2560u);
  view.LineDown();
  EXPECT_EQ(view.position(), 2688u);
  view.Thumb(1000);
  EXPECT_EQ(view.position(), 2560u);
  view.Thumb(3);
  ExpectScreenAt(view, 384);
  view.PageUp();  // less than a page above: no move
  EXPECT_EQ(view.position(), 384u);
  for (int i = 0; i < 3; ++i) view.LineUp();
  EXPECT_EQ(view.position(), 0u);
  view.LineUp();
  EXPECT_EQ(view.position(), 0u);
  view.SetBase(16);
  view.Thumb(10);
  EXPECT_EQ(view.ScreenLines()[0].substr(0, 8), "00000500");
}

TEST_F(DumpViewTest, ForksAndEdgeCases) {
  DumpView one(v_.ctx(), "One");
  one.PageDown();
  EXPECT_EQ(one.position(), 0u);
  one.Bottom();
  EXPECT_EQ(one.position(), 0u);

  DumpView empty(v_.ctx(), "Empty");
  ASSERT_TRUE(empty.found());
  EXPECT_FALSE(empty.dataEnabled());
  EXPECT_FALSE(empty.resourceEnabled());
  EXPECT_EQ(empty.fork(), DumpFork::kResource);
  EXPECT_EQ(empty.length(), 0u);
  EXPECT_EQ(LineBytes(empty.ScreenLines()[31]), Data(16, 0));
  EXPECT_TRUE(empty.AllLines().empty());

  DumpView rsrc(v_.ctx(), "Rsrc");
  EXPECT_EQ(rsrc.fork(), DumpFork::kResource);
  EXPECT_EQ(LineBytes(rsrc.ScreenLines()[0]), Data(PatternBytes(16)));
  EXPECT_FALSE(DumpView(v_.ctx(), "Nobody").found());

  const std::string line = DumpLine(0, Data{0x01, 0x08, 0x41, 0x1C}, 16, DumpCharset::kAnsi);
  EXPECT_EQ(std::count_if(line.begin(), line.end(), [](char c) { return c > 0 && c < 0x20; }), 0);
}

TEST_F(DumpViewTest, TheMenuCommandShowsTheWholeForkAndFileParameterWritesNothing) {
  LoadListing(v_.ctx());
  ASSERT_EQ(SelectMatching(v_.ctx().listing, "Big"), 1);
  DispatchCommand(v_.ctx(), kMenuDump);
  ASSERT_EQ(v_.ui().listings.size(), 1u);
  const std::vector<std::string>& lines = v_.ui().listings[0];
  ASSERT_EQ(lines.size(), 3072u / 16);
  EXPECT_EQ(lines[256 / 16].substr(0, 8), "00000256");
  const Data content = PatternBytes(3000);
  EXPECT_EQ(LineBytes(lines[2976 / 16]), Data(content.begin() + 2976, content.begin() + 2992));

  const std::string type = FileType(*FindFileRecord(v_.ctx(), "Big"));
  DumpView view(v_.ctx(), "Big");
  v_.ui().answers = {"type ZZZZ", "write", "quit"};
  view.FileParameter();
  EXPECT_EQ(v_.ui().dialogs.back(), "DLG_ATTR");
  EXPECT_EQ(FileType(*FindFileRecord(v_.ctx(), "Big")), type);
  EXPECT_EQ(v_.HfsutilsFile(":Big").type, type);
}

}  // namespace
}  // namespace tarvo
