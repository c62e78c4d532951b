#include "device/update_journal.h"

#include <gtest/gtest.h>

#include "support/scratch_files.h"

namespace tarvo {
namespace {

using testing::ReadWholeFile;
using testing::ScratchDir;
using testing::WriteWholeFile;

// Three sectors: one whose original is zeros, which the file does not hold.
UpdateJournal ThreeSectors() {
  UpdateJournal journal{"serial SyQuest SQ555 0123 86700x512", {}};
  JournalSector& a = journal.sectors.emplace_back();
  a.sector = 2;
  a.versions = {11, 12};
  a.original.fill(0x41);
  JournalSector& b = journal.sectors.emplace_back();
  b.sector = 900;
  b.versions = {13};
  b.original.fill(0x42);
  JournalSector& c = journal.sectors.emplace_back();
  c.sector = 901;
  c.versions = {14, 15, 16};
  return journal;
}

TEST(UpdateJournalTest, ReadsBackWhatWasWrittenAndMakesAPrivateFolder) {
  ScratchDir dir;
  const std::filesystem::path path = std::filesystem::path(dir.Path("new/folder")) / "j.journal";
  const UpdateJournal written = ThreeSectors();
  ASSERT_EQ(WriteJournal(written, path), "");
  const auto permissions = std::filesystem::status(path.parent_path()).permissions();
  EXPECT_EQ(permissions & std::filesystem::perms::all, std::filesystem::perms::owner_all);
  UpdateJournal read;
  ASSERT_EQ(ReadJournal(path, read), JournalRead::kRead);
  EXPECT_EQ(read.medium, written.medium);
  EXPECT_EQ(std::filesystem::file_size(path), 8 + 4 + 4 + written.medium.size() + 4 + 3 * 8 + 6 * 8 + 2 * 512 + 8);
  ASSERT_EQ(read.sectors.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(read.sectors[i].sector, written.sectors[i].sector);
    EXPECT_EQ(read.sectors[i].versions, written.sectors[i].versions);
    EXPECT_EQ(read.sectors[i].original, written.sectors[i].original);
  }
  RemoveJournal(path);
  EXPECT_EQ(ReadJournal(path, read), JournalRead::kNone);
}

// Cut anywhere, or with a byte changed anywhere, a journal is torn: every
// length and byte of the part before the originals, some of the rest.
TEST(UpdateJournalTest, AJournalCutShortOrDamagedIsTorn) {
  ScratchDir dir;
  const std::string path = dir.Path("j.journal");
  ASSERT_EQ(WriteJournal(ThreeSectors(), path), "");
  const std::vector<std::uint8_t> whole = ReadWholeFile(path);
  const std::size_t listed = whole.size() - 2 * 512 - 8;  // two originals are held
  const auto next = [listed, &whole](std::size_t at) {
    return at < listed ? at + 1 : at + 37 < whole.size() ? at + 37 : at + 1;  // the checksum's last bytes too
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
