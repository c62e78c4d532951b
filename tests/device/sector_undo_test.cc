// Taking back writes: originals kept once, nested scopes, and a restore
// that the medium refuses.
#include "device/sector_undo.h"

#include <gtest/gtest.h>

#include "device/sector_io.h"
#include "hfs/sector_run.h"
#include "support/medium_context.h"

namespace tarvo {
namespace {

using testing::MediumContext;
using testing::ReadWholeFile;

std::vector<std::uint8_t> Numbered(std::size_t sectors) {
  std::vector<std::uint8_t> bytes(sectors * 512);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i / 512 + 1);
  return bytes;
}

TEST(SectorUndoTest, RestoreWritesBackWhatEveryWriteOverwrote) {
  MediumContext m;
  const std::string image = m.Insert(Numbered(200));
  const std::vector<std::uint8_t> before = ReadWholeFile(image);
  const std::vector<std::uint8_t> x(3 * 512, 0xAA), y(130 * 512, 0xBB);
  {
    UndoScope undo(m.ctx);
    EXPECT_TRUE(undo.owner());
    EXPECT_EQ(WriteSectorRun(m.ctx, 10, x), 0);
    {
      UndoScope inner(m.ctx);  // joins the outer scope
      EXPECT_FALSE(inner.owner());
      EXPECT_FALSE(inner.Restore());
      EXPECT_EQ(WriteSectorRun(m.ctx, 11, y), 0);  // sectors 11 and 12 keep their first original
    }
    m.faults->unwritableSectors = {141};
    EXPECT_NE(WriteSectorRun(m.ctx, 140, x), 0);
    EXPECT_TRUE(undo.failed());
    m.faults->unwritableSectors.clear();
    EXPECT_TRUE(undo.Restore());
    EXPECT_EQ(m.ctx.device.undo, nullptr);
  }
  EXPECT_EQ(ReadWholeFile(image), before);
}

TEST(SectorUndoTest, AWriteThatChangesNothingIsNotSentNorKept) {
  MediumContext m;
  const std::string image = m.Insert(std::vector<std::uint8_t>(20 * 512, 0));
  const std::vector<std::uint8_t> zeros(4 * 512, 0), x(512, 0xAA);
  {
    UndoScope undo(m.ctx);
    EXPECT_EQ(WriteSectorRun(m.ctx, 2, zeros), 0);
    EXPECT_TRUE(m.ctx.device.undo->originals.empty());
    EXPECT_EQ(m.faults->writesSeen, 0);  // nothing to change: not sent
    EXPECT_EQ(WriteSectorRun(m.ctx, 3, x), 0);
    EXPECT_EQ(m.ctx.device.undo->originals.size(), 1u);
    EXPECT_TRUE(undo.Restore());
  }
  EXPECT_EQ(ReadWholeFile(image), std::vector<std::uint8_t>(20 * 512, 0));
}

TEST(SectorUndoTest, ARefusedRestoreCountsOnlyWhereTheMediumChanged) {
  MediumContext m;
  const std::string image = m.Insert(Numbered(20));
  const std::vector<std::uint8_t> x(512, 0xAA);
  {
    UndoScope undo(m.ctx);
    m.faults->failAllWrites = true;
    EXPECT_NE(WriteSectorRun(m.ctx, 5, x), 0);
    EXPECT_TRUE(undo.Restore());  // the failed write never reached the medium
  }
  m.faults->failAllWrites = false;
  {
    UndoScope undo(m.ctx);
    EXPECT_EQ(WriteSectorRun(m.ctx, 5, x), 0);
    m.faults->failAllWrites = true;
    EXPECT_FALSE(undo.Restore());
  }
  EXPECT_EQ(ReadWholeFile(image)[5 * 512], 0xAA);
}

}  // namespace
}  // namespace tarvo
