#include "device/sector_undo.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "device/cdb_fields.h"
#include "device/interrupted_update.h"
#include "device/medium_identity.h"
#include "device/update_journal.h"
#include "hfs/sector_run.h"
#include "support/medium_context.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

using testing::MediumContext;
using testing::ReadWholeFile;
using testing::ScratchDir;
using testing::WriteWholeFile;

struct Stopped {};

std::vector<std::uint8_t> Numbered(std::size_t sectors) {
  std::vector<std::uint8_t> bytes(sectors * 512);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i / 512 + 1);
  return bytes;
}

// The first block of every WRITE(6) and the synchronisations waited for (-1).
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

// An update of sectors 10..139 in two passes, stopped after its n-th write.
void StopUpdateAfterWrite(MediumContext& m, int n) {
  int writes = 0;
  m.faults->performed = [&writes, n](const Srb& srb) {
    if (IsWrite(srb) && ++writes == n) throw Stopped{};
  };
  const std::vector<std::uint8_t> x(100 * 512, 0xAA), y(30 * 512, 0xBB);
  UndoScope update(m.ctx);
  ASSERT_EQ(WriteSectorRun(m.ctx, 10, x), SectorRunResult::kMoved);
  update.NextPass();
  ASSERT_EQ(WriteSectorRun(m.ctx, 110, y), SectorRunResult::kMoved);
  EXPECT_THROW(update.Commit(), Stopped);
  m.faults->performed = nullptr;
}

TEST(SectorUndoTest, ACommitThatCannotPutBackKeepsTheJournal) {
  MediumContext m;
  const std::string image = m.Insert(Numbered(200));
  const std::vector<std::uint8_t> x(512, 0xAA);
  UndoScope update(m.ctx);
  ASSERT_EQ(WriteSectorRun(m.ctx, 5, x), SectorRunResult::kMoved);
  ASSERT_EQ(WriteSectorRun(m.ctx, 9, x), SectorRunResult::kMoved);
  m.faults->performed = [&](const Srb& srb) {
    if (IsWrite(srb)) m.faults->failAllWrites = true;
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
  ScratchDir dir;
  WriteWholeFile(dir.Path("file"), std::vector<std::uint8_t>{1});
  const std::string saved = std::getenv("XDG_STATE_HOME");
  ::setenv("XDG_STATE_HOME", dir.Path("file").c_str(), 1);  // no folder can be made there
  const std::vector<std::uint8_t> x(512, 0xAA);
  {
    UndoScope update(m.ctx);
    ASSERT_EQ(WriteSectorRun(m.ctx, 5, x), SectorRunResult::kMoved);
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
  SectorRunResult result = SectorRunResult::kMoved;
  for (std::uint32_t s = 0; s < sectors && result == SectorRunResult::kMoved; s += 64) {
    result = WriteSectorRun(m.ctx, s, x);
  }
  EXPECT_EQ(result, SectorRunResult::kFailed);
  EXPECT_TRUE(update.failed());
  EXPECT_FALSE(update.Commit());
  EXPECT_TRUE(update.Restore());
  EXPECT_EQ(MediumWrites(m), std::vector<long>{});
}

TEST(InterruptedUpdateTest, AJournalOfAnotherMediumIsLeftAlone) {
  MediumContext a, b;
  const std::string imageA = a.Insert(Numbered(200));
  const std::string imageB = b.Insert(Numbered(200));
  const std::vector<std::uint8_t> before = ReadWholeFile(imageA);
  StopUpdateAfterWrite(a, 2);
  ASSERT_NE(JournalOf(a), JournalOf(b));
  EXPECT_EQ(TakeBackInterruptedUpdate(b.ctx), InterruptedUpdate::kNone);
  EXPECT_EQ(ReadWholeFile(imageB), Numbered(200));

  // The same name on a medium holding neither the originals nor the update.
  const std::vector<std::uint8_t> stopped = ReadWholeFile(imageA);
  std::vector<std::uint8_t> other = stopped;
  other[20 * 512] = 0x55;
  WriteWholeFile(imageA, other);
  EXPECT_EQ(TakeBackInterruptedUpdate(a.ctx), InterruptedUpdate::kOtherMedium);
  EXPECT_EQ(ReadWholeFile(imageA), other);
  EXPECT_TRUE(std::filesystem::exists(JournalOf(a)));

  WriteWholeFile(imageA, stopped);
  EXPECT_EQ(TakeBackInterruptedUpdate(a.ctx), InterruptedUpdate::kTakenBack);
  EXPECT_EQ(ReadWholeFile(imageA), before);
}

TEST(InterruptedUpdateTest, AMediumThatRefusesTheOriginalsKeepsTheJournal) {
  MediumContext m;
  const std::string image = m.Insert(Numbered(200));
  const std::vector<std::uint8_t> before = ReadWholeFile(image);
  StopUpdateAfterWrite(m, 2);
  m.faults->failAllWrites = true;
  EXPECT_EQ(TakeBackInterruptedUpdate(m.ctx), InterruptedUpdate::kNotTakenBack);
  EXPECT_EQ(m.ui.messages, std::vector<std::string>{
                               "An interrupted update of this volume could not be taken back; the volume may need "
                               "checking."});
  EXPECT_TRUE(std::filesystem::exists(JournalOf(m)));
  m.faults->failAllWrites = false;
  EXPECT_EQ(TakeBackInterruptedUpdate(m.ctx), InterruptedUpdate::kTakenBack);
  EXPECT_EQ(ReadWholeFile(image), before);
}

// Cut anywhere, or with a byte changed anywhere, a journal is torn.
TEST(UpdateJournalTest, AJournalCutShortOrDamagedIsTorn) {
  UpdateJournal journal{"serial SyQuest SQ555 0123 86700x512", {}};
  for (const auto& [sector, versions, fill] : {std::tuple{2u, std::vector<std::uint64_t>{11, 12}, 0x41},
                                               std::tuple{900u, std::vector<std::uint64_t>{13}, 0x42},
                                               std::tuple{901u, std::vector<std::uint64_t>{14, 15, 16}, 0}}) {
    JournalSector& s = journal.sectors.emplace_back();
    s.sector = sector;
    s.versions = versions;
    s.original.fill(static_cast<std::uint8_t>(fill));
  }
  ScratchDir dir;
  const std::string path = dir.Path("j.journal");
  ASSERT_EQ(WriteJournal(journal, path), "");
  const std::vector<std::uint8_t> whole = ReadWholeFile(path);
  const std::size_t listed = whole.size() - 2 * 512 - 8;  // two originals are held
  const auto next = [listed, &whole](std::size_t at) {
    return at < listed ? at + 1 : at + 37 < whole.size() ? at + 37 : at + 1;
  };
  UpdateJournal read;
  for (std::size_t length = 0; length < whole.size(); length = next(length)) {
    WriteWholeFile(path, std::span(whole).first(length));
    ASSERT_EQ(ReadJournal(path, read), JournalRead::kTorn) << length;
  }
  for (std::size_t at = 0; at < whole.size(); at = next(at)) {
    std::vector<std::uint8_t> damaged = whole;
    damaged[at] ^= 0x10;
    WriteWholeFile(path, damaged);
    ASSERT_EQ(ReadJournal(path, read), JournalRead::kTorn) << at;
  }
  std::vector<std::uint8_t> longer = whole;
  longer.push_back(0);
  WriteWholeFile(path, longer);
  EXPECT_EQ(ReadJournal(path, read), JournalRead::kTorn);
}

}  // namespace
}  // namespace tarvo
