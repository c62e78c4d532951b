#include "device/sector_undo.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "device/cdb_fields.h"
#include "device/medium_identity.h"
#include "device/sector_io.h"
#include "device/update_journal.h"
#include "hfs/sector_run.h"
#include "support/medium_context.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

using testing::MediumContext;
using testing::ReadWholeFile;

std::vector<std::uint8_t> Numbered(std::size_t sectors) {
  std::vector<std::uint8_t> bytes(sectors * 512);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i / 512 + 1);
  return bytes;
}

// The first block of every WRITE(6) and the synchronisations waited for,
// in the order they were sent (a synchronisation as -1).
std::vector<long> MediumWrites(const MediumContext& m) {
  std::vector<long> writes;
  for (const Srb& srb : m.faults->sent) {
    if (srb.command != SrbCommand::kExecScsiCmd) continue;
    if (IsWrite(srb)) writes.push_back(DecodeBlockRange(srb).first);
    if (srb.cdb[0] == kOpSynchronizeCache10 && (srb.cdb[1] & kSynchronizeImmediate) == 0) writes.push_back(-1);
  }
  return writes;
}

std::filesystem::path JournalOf(MediumContext& m) { return JournalPath(MediumIdentity(m.ctx, 0, 0)); }

TEST(SectorUndoTest, PassesReachTheMediumInTheirOrder) {
  MediumContext m;
  m.Insert(Numbered(200));
  const std::vector<std::uint8_t> x(512, 0xAA), y(512, 0xBB);
  UndoScope update(m.ctx);
  ASSERT_EQ(WriteSectorRun(m.ctx, 50, x), 0);
  ASSERT_EQ(WriteSectorRun(m.ctx, 3, x), 0);
  update.NextPass();
  ASSERT_EQ(WriteSectorRun(m.ctx, 20, x), 0);
  update.NextPass();
  ASSERT_EQ(WriteSectorRun(m.ctx, 3, y), 0);  // a second content for sector 3
  ASSERT_TRUE(update.Commit());
  EXPECT_EQ(MediumWrites(m), (std::vector<long>{3, 50, 20, 3, -1}));
  std::vector<std::uint8_t> now(512);
  ASSERT_EQ(ReadSectorRun(m.ctx, 3, now), 0);
  EXPECT_EQ(now, y);
}

TEST(SectorUndoTest, NestedScopesMakeOneUpdate) {
  MediumContext m;
  const std::string image = m.Insert(Numbered(200));
  const std::vector<std::uint8_t> before = ReadWholeFile(image);
  const std::vector<std::uint8_t> x(3 * 512, 0xAA);
  {
    UndoScope outer(m.ctx);
    ASSERT_EQ(WriteSectorRun(m.ctx, 10, x), 0);
    {
      UndoScope inner(m.ctx);
      EXPECT_FALSE(inner.owner());
      EXPECT_FALSE(inner.Restore());
      ASSERT_EQ(WriteSectorRun(m.ctx, 100, x), 0);
    }
    ASSERT_EQ(WriteSectorRun(m.ctx, 150, x), 0);
    EXPECT_TRUE(outer.Restore());  // drops the update: nothing was written
    EXPECT_EQ(m.ctx.device.undo, nullptr);
  }
  EXPECT_EQ(ReadWholeFile(image), before);
  {
    UndoScope outer(m.ctx);
    ASSERT_EQ(WriteSectorRun(m.ctx, 10, x), 0);
    UndoScope inner(m.ctx);
    ASSERT_EQ(WriteSectorRun(m.ctx, 100, x), 0);
    EXPECT_TRUE(inner.Commit());  // the whole update
  }
  EXPECT_EQ(MediumWrites(m), (std::vector<long>{10, 100, -1}));
}

TEST(SectorUndoTest, ACommitThatCannotPutBackKeepsTheJournal) {
  MediumContext m;
  const std::string image = m.Insert(Numbered(200));
  const std::vector<std::uint8_t> x(512, 0xAA);
  UndoScope update(m.ctx);
  ASSERT_EQ(WriteSectorRun(m.ctx, 5, x), 0);
  ASSERT_EQ(WriteSectorRun(m.ctx, 9, x), 0);
  m.faults->performed = [&](const Srb& srb) {
    if (IsWrite(srb)) m.faults->failAllWrites = true;  // after the first write
  };
  EXPECT_FALSE(update.Commit());
  EXPECT_FALSE(update.Restore());
  EXPECT_EQ(ReadWholeFile(image)[5 * 512], 0xAA);
  UpdateJournal journal;
  ASSERT_EQ(ReadJournal(JournalOf(m), journal), JournalRead::kRead);
  EXPECT_EQ(journal.sectors.size(), 2u);
  RemoveJournal(JournalOf(m));
}

TEST(SectorUndoTest, AJournalThatCannotBeWrittenLeavesTheMediumAlone) {
  MediumContext m;
  const std::string image = m.Insert(Numbered(20));
  const std::vector<std::uint8_t> before = ReadWholeFile(image);
  testing::ScratchDir dir;
  testing::WriteWholeFile(dir.Path("file"), std::vector<std::uint8_t>{1});
  const std::string saved = std::getenv("XDG_STATE_HOME");
  ::setenv("XDG_STATE_HOME", dir.Path("file").c_str(), 1);  // no folder can be made there
  const std::vector<std::uint8_t> x(512, 0xAA);
  {
    UndoScope update(m.ctx);
    ASSERT_EQ(WriteSectorRun(m.ctx, 5, x), 0);
    EXPECT_FALSE(update.Commit());
    EXPECT_TRUE(update.Restore());
  }
  ::setenv("XDG_STATE_HOME", saved.c_str(), 1);
  EXPECT_EQ(ReadWholeFile(image), before);
  EXPECT_EQ(MediumWrites(m), std::vector<long>{});
  ASSERT_EQ(m.ui.messages.size(), 1u);
  EXPECT_NE(m.ui.messages[0].find("The journal of this update could not be written ("), std::string::npos);
  EXPECT_NE(m.ui.messages[0].find("): the volume was not changed."), std::string::npos);
}

TEST(SectorUndoTest, AWriteBeyondTheMemoryBoundIsRefused) {
  MediumContext m;
  const std::size_t sectors = kMostUndoBytes / 512 + 1024;
  m.Insert(Numbered(sectors));
  const std::vector<std::uint8_t> x(64 * 512, 0xAA);
  UndoScope update(m.ctx);
  std::uint16_t status = 0;
  for (std::uint32_t s = 0; s < sectors && status == 0; s += 64) status = WriteSectorRun(m.ctx, s, x);
  EXPECT_NE(status, 0);
  EXPECT_TRUE(update.failed());
  EXPECT_FALSE(update.Commit());
  EXPECT_TRUE(update.Restore());
  EXPECT_EQ(MediumWrites(m), std::vector<long>{});
}

}  // namespace
}  // namespace tarvo
