#include "base/type_creator.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/scratch_files.h"
#include "ui/context.h"
#include "support/scripted_ui.h"

namespace tarvo {
namespace {

std::string Row(const TypeCreatorTable& t, int number) {
  const auto& r = t.rows[number - 1];
  return std::string(r.extension.data(), 3) + "|" + std::string(r.typeCreator.data(), 8);
}

int Merge(TypeCreatorTable& t, const std::string& text) {
  std::istringstream in(text);
  return MergeTypeCreatorLines(t, in);
}

TEST(TypeCreatorFile, MergesLinesIntoRows) {
  TypeCreatorTable t;
  EXPECT_EQ(Merge(t, "# comment line\n"
                     "XLS XLS8XCEL\n"
                     "\n"
                     "   \t \r\n"
                     "BMP BMPpGKON\r\n"
                     "\tPCX\t PCX xxxx\n"
                     "GIF GIFf\r\n"),
            0);
  EXPECT_EQ(Row(t, 8), "XLS|XLS8XCEL");
  EXPECT_EQ(Row(t, 14), "XLS|XLS4XCEL");
  EXPECT_EQ(Row(t, 23), "BMP|BMPpGKON");
  EXPECT_EQ(Row(t, 24), "PCX|PCX xxxx");
  EXPECT_EQ(Row(t, 25), "GIF|GIFf    ");  // short field filled with spaces, no line end
  EXPECT_EQ(Row(t, 26), "   |        ");
  EXPECT_EQ(TypeCreatorForPcName(t, "photo.bmp"), "BMPpGKON");
}

TEST(TypeCreatorFile, JunkNeverOverrunsTheTable) {
  TypeCreatorTable t;
  std::string junk = "JPG\n"                                    // no type: ignored
                     "JP\n"                                     // short extension: ignored
                     "LNG " + std::string(5000, 'L') + "TIF TIFFxxxx\n"  // one long line, cut
                     + std::string("N\0L BIN\xff\x01", 9) + "\n"
                     + std::string(3000, '\0') + "\n";
  EXPECT_EQ(Merge(t, junk), 0);
  EXPECT_EQ(Row(t, 3), "TIF|TIFF????");  // the long line's tail is no line of its own
  EXPECT_EQ(Row(t, 23), "LNG|LLLLLLLL");
  EXPECT_EQ(Row(t, 24), std::string("N\0L|BIN\xff\x01   ", 12));
  EXPECT_EQ(Row(t, 25).substr(0, 3), std::string(3, '\0'));

  std::string many;
  for (int i = 0; i < 20; ++i) many += "X" + std::to_string(10 + i) + " TYPECRE8\n";
  EXPECT_EQ(Merge(t, many), 8);  // 12 free rows left
  EXPECT_EQ(Row(t, 37), "X21|TYPECRE8");
  EXPECT_EQ(Row(t, 38), "RAG|R#      ");
  EXPECT_EQ(Merge(t, "X10 CHANGED!\n"), 0);  // a known extension still finds its row
}

TEST(TypeCreatorFile, LoadsFirstFoundFileOncePerRun) {
  testing::ScratchDir scratch;
  const std::filesystem::path dir = scratch.Path("");
  std::filesystem::create_directories(dir / "a" / "TVCREAT.DAT");  // a directory, not a file
  std::filesystem::create_directories(dir / "b");
  std::ofstream(dir / "b" / "tvcreat.dat") << "BMP BMPpGKON\n";
  std::string full;
  for (int i = 0; i < 16; ++i) full += "Y" + std::to_string(10 + i) + " TYPECRE8\n";
  std::ofstream(dir / "c.dat") << full;

  ScriptedUi ui;
  Context ctx;
  ctx.ui = &ui;
  std::vector<std::filesystem::path> candidates = {dir / "a" / "TVCREAT.DAT", dir / "missing",
                                                   dir / "b" / "tvcreat.dat", dir / "c.dat"};
  LoadTypeCreatorFile(ctx, candidates);
  EXPECT_EQ(Row(ctx.typeCreators, 23), "BMP|BMPpGKON");
  EXPECT_EQ(Row(ctx.typeCreators, 24), "   |        ");  // only the first file found is read

  Context other;
  other.ui = &ui;
  LoadTypeCreatorFile(other, std::vector{dir / "c.dat"});
  EXPECT_EQ(ui.beeps, 1);  // one line found no row
  LoadTypeCreatorFile(other, std::vector{dir / "c.dat"});
  EXPECT_EQ(ui.beeps, 1);  // once per run
}

}  // namespace
}  // namespace tarvo
