#include "device/interrupted_update.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "device/cdb_fields.h"
#include "device/medium_identity.h"
#include "device/sector_undo.h"
#include "device/update_journal.h"
#include "hfs/sector_run.h"
#include "support/medium_context.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

using testing::MediumContext;
using testing::ReadWholeFile;
using testing::WriteWholeFile;

struct Stopped {};  // thrown where the program stops

std::vector<std::uint8_t> Numbered(std::size_t sectors) {
  std::vector<std::uint8_t> bytes(sectors * 512);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i / 512 + 1);
  return bytes;
}

// An update of three requests (sectors 10..139), in two passes, stopped
// after its n-th write reached the medium.
void StopUpdateAfterWrite(MediumContext& m, int n) {
  int writes = 0;
  m.faults->performed = [&writes, n](const Srb& srb) {
    if (IsWrite(srb) && ++writes == n) throw Stopped{};
  };
  const std::vector<std::uint8_t> x(100 * 512, 0xAA), y(30 * 512, 0xBB);
  UndoScope update(m.ctx);
  ASSERT_EQ(WriteSectorRun(m.ctx, 10, x), 0);
  update.NextPass();
  ASSERT_EQ(WriteSectorRun(m.ctx, 110, y), 0);
  EXPECT_THROW(update.Commit(), Stopped);
  m.faults->performed = nullptr;
}

std::filesystem::path JournalOf(MediumContext& m) { return JournalPath(MediumIdentity(m.ctx, 0, 0)); }

TEST(InterruptedUpdateTest, ATornJournalIsIgnored) {
  MediumContext m;
  const std::string image = m.Insert(Numbered(200));
  StopUpdateAfterWrite(m, 1);
  const std::vector<std::uint8_t> journal = ReadWholeFile(JournalOf(m));
  WriteWholeFile(JournalOf(m), std::span(journal).first(journal.size() / 2));
  const std::vector<std::uint8_t> now = ReadWholeFile(image);
  EXPECT_EQ(TakeBackInterruptedUpdate(m.ctx), InterruptedUpdate::kTorn);
  EXPECT_EQ(ReadWholeFile(image), now);
  EXPECT_TRUE(std::filesystem::exists(JournalOf(m)));
  EXPECT_EQ(m.ui.messages, std::vector<std::string>{});
  RemoveJournal(JournalOf(m));
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

  // The same name on a medium whose sectors hold neither the originals nor
  // the update's contents (the image put back from an older copy).
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

}  // namespace
}  // namespace tarvo
