#include "transfer/replace_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "hfs/catalog_lookup.h"
#include "support/edit_volume.h"
#include "support/scratch_files.h"
#include "transfer/pc_copy_report.h"
#include "ui/context.h"

namespace tarvo {
namespace {

using testing::ShellQuote;

// The replace only reports how it ended: the copy's report words it, so a
// caller that copies in bulk or asks again decides what the user sees.
TEST(ReplaceFileTest, AReplaceWithoutRoomSaysNothingItselfAndKeepsTheOldFile) {
  testing::EditVolume v;
  testing::WriteWholeFile(v.Path("old"), std::vector<std::uint8_t>(3000, 7));
  ASSERT_TRUE(v.HfsutilsWrite({"hcopy -r " + ShellQuote(v.Path("old")) + " :Old"}));
  Context& ctx = v.ctx();
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream(std::fopen(v.Path("old").c_str(), "rb"),
                                                                std::fclose);
  ASSERT_NE(stream, nullptr);
  MacFileSource source;
  source.stream = stream.get();
  source.name = "Old";
  source.type = "TEXT";
  source.creator = "ttxt";
  source.data.length = std::uint64_t{4} << 20;  // more than the whole volume

  const ReplaceResult result = ReplaceWithPcFile(ctx, source, "OLD");
  EXPECT_EQ(result.outcome, ReplaceOutcome::kNotWritten);
  EXPECT_EQ(result.written, FileWrite::kNoSpace);
  EXPECT_FALSE(result.oldFileLost);
  EXPECT_TRUE(v.ui().messages.empty());
  EXPECT_TRUE(FindNamedRecord(ctx.volume.catalog, ctx.volume.current.currentDirId, "Old"));

  TellReplace(ctx, result, "OLD", source.name);
  EXPECT_EQ(v.ui().messages, std::vector<std::string>{"Not enough space on the volume."});
  EXPECT_EQ(v.HfsutilsFile("Old").data, std::vector<std::uint8_t>(3000, 7));
}

}  // namespace
}  // namespace tarvo
