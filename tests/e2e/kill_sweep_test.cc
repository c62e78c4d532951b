// Programs stopped at every write: each command that changes a volume runs
// in a forked child whose fault bus kills it right after the n-th write it
// sent reached the image, for every n. Opened again as the program opens it,
// the journal takes the stopped update back: the volume is byte for byte as
// before that update or, when the update had made all its writes, as after
// it; the check is clean and the journal gone. The child copies the image at
// each synchronisation, so the volume expected has that run's dates. A copy
// writes file content into free blocks first: those blocks alone may differ.
// The stopped image, read without the journal, has no used block marked free.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "device/cdb_fields.h"
#include "device/fault_bus.h"
#include "device/medium_identity.h"
#include "device/update_journal.h"
#include "hfs/allocation.h"
#include "hfs/catalog_lookup.h"
#include "hfs/catalog_record.h"
#include "hfs/flush.h"
#include "hfs/volume_header.h"
#include "maintenance/check_volume.h"
#include "maintenance/format_volume.h"
#include "support/byte_pattern.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"
#include "transfer/copy_to_mac.h"
#include "transfer/pc_file_reader.h"
#include "transfer/write_file.h"
#include "ui/edit_commands.h"
#include "ui/open_volume.h"

namespace tarvo {
namespace {

using testing::PatternBytes;
namespace fs = std::filesystem;
using testing::MountedVolume;
using testing::ReadWholeFile;
using testing::ScratchDir;
using testing::WriteWholeFile;

constexpr std::size_t kManyFiles = 24;

struct Operation {
  std::string name;
  std::function<void(Context&)> run;
  std::function<void(Context&)> verify;  // the change, on the volume a run without a stop left
  bool writesFreeBlocks = false;
};

std::optional<CatalogRecord> RootItem(Context& ctx, const std::string& name) {
  return FindNamedRecord(ctx.volume.catalog, kRootDirId, name);
}

std::vector<std::string> Problems(Context& ctx) {
  const CheckReport report = CheckVolume(ctx);
  return report.clean() ? std::vector<std::string>{} : CheckReportLines(report);
}

// The sectors of the allocation blocks that the volume's bitmap marks free.
std::vector<bool> FreeBlockSectors(const std::string& image) {
  MountedVolume volume(image, true);
  std::vector<bool> free(fs::file_size(image) / 512, false);
  if (volume.Mount() <= 0 || !EnsureBitmapLoaded(volume.ctx)) return free;
  const VolumeState& v = volume.ctx.volume;
  for (std::uint32_t b = 0; b < GetU16(v.mdb, mdb::drNmAlBlks); ++b) {
    if ((v.bitmap[b / 8] & (0x80 >> (b % 8))) != 0) continue;
    for (std::uint32_t s = 0; s < v.sectorsPerBlock; ++s) {
      const std::uint64_t sector = std::uint64_t(v.volumeOrigin) + std::uint64_t{b} * v.sectorsPerBlock + s;
      if (sector < free.size()) free[sector] = true;
    }
  }
  return free;
}

// The first sector where the images differ outside the sectors skipped; -1 when none.
// The sectors of the image that hold only zeros.
std::vector<bool> ZeroSectors(const std::string& image) {
  const std::vector<std::uint8_t> bytes = ReadWholeFile(image);
  std::vector<bool> zero(bytes.size() / 512);
  for (std::size_t s = 0; s < zero.size(); ++s) {
    const auto at = bytes.begin() + std::ptrdiff_t(s * 512);
    zero[s] = std::all_of(at, at + 512, [](std::uint8_t b) { return b == 0; });
  }
  return zero;
}

long FirstDifference(const std::vector<std::uint8_t>& got, const std::vector<std::uint8_t>& want,
                     const std::vector<bool>& skipped) {
  if (got.size() != want.size()) return 0;
  for (std::size_t s = 0; s * 512 < got.size(); ++s) {
    if (s < skipped.size() && skipped[s]) continue;
    const auto at = [s](const std::vector<std::uint8_t>& b) { return b.begin() + std::ptrdiff_t(s * 512); };
    if (!std::equal(at(got), at(got) + 512, at(want))) return static_cast<long>(s);
  }
  return -1;
}

// A copy from the PC folder (a replacement answered Yes) that leaves an item
// of the root of this data length (a folder: this valence).
Operation Copy(const std::string& name, PcToMacRequest::Source source, const std::string& folder,
               const std::string& item, std::uint32_t size, bool replace = false) {
  PcToMacRequest request;
  request.source = source;
  request.pcDirectory = folder;
  request.names = {item};
  const bool isFolder = source == PcToMacRequest::Source::kDirectory;
  return {name,
          [request, replace](Context& ctx) {
            if (replace) static_cast<ScriptedUi*>(ctx.ui)->answers.push_back("yes");
            CopyPcToMac(ctx, request);
          },
          [item, size, isFolder](Context& ctx) {
            const std::optional<CatalogRecord> record = RootItem(ctx, item);
            ASSERT_TRUE(record);
            EXPECT_EQ(isFolder ? Valence(*record) : DataLogicalLength(*record), size);
          },
          true};
}

class KillSweepTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new ScratchDir;
    const std::string image = dir_->Path("base.img");
    for (const char* folder : {"pc/Many", "pc/replace", "tmp"}) fs::create_directories(dir_->Path(folder));
    WriteWholeFile(dir_->Path("keep.txt"), PatternBytes(8000, 1));
    WriteWholeFile(dir_->Path("pc/Big.bin"), PatternBytes(700 * 1024, 7));
    for (std::size_t i = 0; i < kManyFiles; ++i) {
      WriteWholeFile(dir_->Path("pc/Many/f" + std::to_string(i) + ".txt"), PatternBytes(1024 + 97 * i, 20 + unsigned(i)));
    }
    WriteWholeFile(dir_->Path("pc/replace/Keep.txt"), PatternBytes(3000, 9));
    ASSERT_TRUE(testing::MakeHfsVolume(dir_->Path(""), image, "Sweep", 2048));
    std::vector<std::string> commands = {"hcopy -r " + testing::ShellQuote(dir_->Path("keep.txt")) + " :Keep.txt",
                                         "hmkdir :Docs"};
    for (int i = 0; i < 4; ++i) {
      const std::string doc = dir_->Path("doc" + std::to_string(i));
      WriteWholeFile(doc, PatternBytes(1500 + 700 * i, 2 + i));
      commands.push_back("hcopy -r " + testing::ShellQuote(doc) + " :Docs:Doc" + std::to_string(i));
    }
    ASSERT_TRUE(testing::RunHfsutils(dir_->Path(""), image, commands));
    base_ = new std::vector<std::uint8_t>(ReadWholeFile(image));
  }
  static void TearDownTestSuite() {
    delete base_;
    delete dir_;
  }

  void SetUp() override {
    WriteWholeFile(Image(), *base_);
    MountedVolume volume(Image(), true);
    journal_ = JournalPath(MediumIdentity(volume.ctx, 0, 0));
  }

  static std::string Image() { return dir_->Path("medium.img"); }
  static std::string Kept(const std::string& name) { return dir_->Path("run/" + name); }

  struct ChildRun {
    bool killed = false;          // ended by the signal it raised
    int writes = 0;               // without a stop: every write it sent
    std::vector<int> updateEnds;  // the writes after which an update was synchronised
  };

  // The operation on the starting volume, in a child that raises the signal
  // after its n-th write (0: never).
  ChildRun RunChild(const Operation& op, int stopAfter, int signal = SIGKILL) {
    WriteWholeFile(Image(), *start_);  // the same file: the medium keeps its name
    fs::remove_all(dir_->Path("run"));
    fs::create_directories(dir_->Path("run"));
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) ChildMain(op, stopAfter, signal);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ChildRun run;
    run.killed = WIFSIGNALED(status) && WTERMSIG(status) == signal;
    std::ifstream ends(Kept("ends"));
    for (int end = 0; ends >> end;) run.updateEnds.push_back(end);
    std::ifstream(Kept("writes")) >> run.writes;
    return run;
  }

  [[noreturn]] static void ChildMain(const Operation& op, int stopAfter, int signal) {
    ::setenv("TMPDIR", dir_->Path("tmp").c_str(), 1);
    int code = 1;
    {
      MountedVolume volume(Image(), false);
      FaultBus faults(volume.bus);
      volume.ctx.scsi = &faults;
      if (OpenVolume(volume.ctx) == VolumeOpening::kOpened) {
        int writes = 0;
        faults.performed = [&writes, stopAfter, signal](const Srb& srb) {
          if (IsWrite(srb) && ++writes == stopAfter) {
            fs::copy_file(Image(), Kept("stopped.img"));
            ::raise(signal);
          }
          if (srb.cdb[0] == kOpSynchronizeCache10 && (srb.cdb[1] & kSynchronizeImmediate) == 0) {
            fs::copy_file(Image(), Kept("state" + std::to_string(writes) + ".img"),
                          fs::copy_options::overwrite_existing);
            std::ofstream(Kept("ends"), std::ios::app) << writes << "\n";
          }
        };
        op.run(volume.ctx);
        std::ofstream(Kept("writes")) << writes;
        code = 0;
      }
    }
    ::_exit(code);
  }

  static void ExpectNoUsedBlockFree(const std::string& image) {
    MountedVolume volume(image, true);
    if (volume.Mount() <= 0) return;  // a header torn with the rest: nothing to use its blocks
    for (const Finding& finding : CheckVolume(volume.ctx).findings) {
      EXPECT_NE(finding.code, Problem::kBlocksUsedButFree) << finding.text;
    }
  }

  void Sweep(const Operation& op) {
    SCOPED_TRACE(op.name);
    const ChildRun whole = RunChild(op, 0);
    ASSERT_FALSE(whole.killed);
    ASSERT_GT(whole.writes, 0);
    ASSERT_FALSE(whole.updateEnds.empty());
    {
      MountedVolume volume(Image(), true);
      ASSERT_EQ(OpenVolume(volume.ctx), VolumeOpening::kOpened);
      EXPECT_EQ(Problems(volume.ctx), std::vector<std::string>{});
      op.verify(volume.ctx);
    }
    for (int n = 1; n <= whole.writes; ++n) {
      SCOPED_TRACE("stopped after write " + std::to_string(n) + " of " + std::to_string(whole.writes));
      const ChildRun run = RunChild(op, n);
      ASSERT_TRUE(run.killed);
      const bool complete = std::count(whole.updateEnds.begin(), whole.updateEnds.end(), n) > 0;
      int lastEnd = 0;
      for (const int end : whole.updateEnds) lastEnd = end < n ? end : lastEnd;
      const bool journalLeft = fs::exists(journal_);
      EXPECT_TRUE(journalLeft || !complete);
      if (op.name != "format") ExpectNoUsedBlockFree(Kept("stopped.img"));

      const std::string expected = complete       ? Kept("stopped.img")
                                   : lastEnd == 0 ? dir_->Path("before.img")
                                                  : Kept("state" + std::to_string(lastEnd) + ".img");
      if (lastEnd == 0) WriteWholeFile(dir_->Path("before.img"), *start_);
      // Past the last update only freed nodes are cleared: any of them may be.
      const bool clearing = !complete && lastEnd > 0 && lastEnd == whole.updateEnds.back();
      const std::vector<bool> skipped = clearing                            ? ZeroSectors(Kept("stopped.img"))
                                        : op.writesFreeBlocks && !complete ? FreeBlockSectors(expected)
                                                                           : std::vector<bool>{};
      {
        MountedVolume volume(Image(), false);
        ASSERT_EQ(OpenVolume(volume.ctx), VolumeOpening::kOpened);
        const std::vector<std::string> told =
            journalLeft && !complete ? std::vector<std::string>{kTextUpdateTakenBack} : std::vector<std::string>{};
        EXPECT_EQ(volume.ui.messages, told);
        EXPECT_EQ(Problems(volume.ctx), std::vector<std::string>{});
      }
      EXPECT_FALSE(fs::exists(journal_));
      EXPECT_EQ(FirstDifference(ReadWholeFile(Image()), ReadWholeFile(expected), skipped), -1)
          << (complete ? "as after the update" : "as before the update");
    }
  }

  static ScratchDir* dir_;
  static std::vector<std::uint8_t>* base_;
  const std::vector<std::uint8_t>* start_ = base_;  // the volume each run begins with
  fs::path journal_;
};

ScratchDir* KillSweepTest::dir_ = nullptr;
std::vector<std::uint8_t>* KillSweepTest::base_ = nullptr;

TEST_F(KillSweepTest, EveryOperation) {
  using Source = PcToMacRequest::Source;
  const std::vector<Operation> operations = {
      Copy("copy of a big file", Source::kSelection, dir_->Path("pc"), "Big.bin", 700u * 1024),
      Copy("copy of a folder", Source::kDirectory, dir_->Path("pc"), "Many", kManyFiles),
      Copy("replacement", Source::kSelection, dir_->Path("pc/replace"), "Keep.txt", 3000u, true),
      {"delete of a folder",
       [](Context& ctx) {
         static_cast<ScriptedUi*>(ctx.ui)->answers.push_back("ok");
         DeleteMatching(ctx, "Docs");
       },
       [](Context& ctx) { EXPECT_FALSE(RootItem(ctx, "Docs")); }},
      {"rename", [](Context& ctx) { RenameMatching(ctx, "Keep.txt", "Kept.txt"); },
       [](Context& ctx) {
         EXPECT_TRUE(RootItem(ctx, "Kept.txt"));
         EXPECT_FALSE(RootItem(ctx, "Keep.txt"));
       }},
      {"new folder", [](Context& ctx) { MakeFolder(ctx, "Fresh folder"); },
       [](Context& ctx) { EXPECT_TRUE(RootItem(ctx, "Fresh folder")); }},
      {"label", [](Context& ctx) { LabelVolume(ctx, "Relabelled"); },
       [](Context& ctx) { EXPECT_EQ(VolumeName(ctx.volume), "Relabelled"); }},
      {"format", [](Context& ctx) { FormatVolume(ctx, "Blank"); },
       [](Context& ctx) {
         EXPECT_EQ(VolumeName(ctx.volume), "Blank");
         EXPECT_TRUE(RootItem(ctx, "Desktop DB"));
       }},
  };
  for (const Operation& op : operations) Sweep(op);
}

// On a volume with 8 blocks free, Keep.txt (16 blocks) gives way to a file
// of 20: the new file takes the old one's blocks, within its update.
TEST_F(KillSweepTest, ReplacementThatTakesTheOldFilesBlocks) {
  {
    MountedVolume volume(Image(), false);
    ASSERT_EQ(OpenVolume(volume.ctx), VolumeOpening::kOpened);
    Context& ctx = volume.ctx;
    ASSERT_TRUE(EnsureBitmapLoaded(ctx));
    ASSERT_EQ(ctx.volume.allocBlockSize, 512u);
    WriteWholeFile(dir_->Path("filler"), PatternBytes(512 * (CountAllocatableBlocks(ctx.volume) - 8), 30));
    std::FILE* filler = std::fopen(dir_->Path("filler").c_str(), "rb");
    ASSERT_EQ(WriteFileToVolume(ctx, PlainFileSource(filler, *PcFileFactsOf(filler), "Filler", "BINA????", ForkChoice::kData),
                                "filler", kRootDirId, 0),
              FileWrite::kDone);
    std::fclose(filler);
    ASSERT_TRUE(FlushVolume(ctx).ok());
  }
  const std::vector<std::uint8_t> full = ReadWholeFile(Image());
  start_ = &full;
  fs::create_directories(dir_->Path("pc/larger"));
  WriteWholeFile(dir_->Path("pc/larger/Keep.txt"), PatternBytes(20 * 512 - 100, 31));
  Sweep(Copy("replacement on a full volume", PcToMacRequest::Source::kSelection, dir_->Path("pc/larger"), "Keep.txt",
             20u * 512 - 100, true));
}

// SIGTERM, SIGHUP and SIGINT in the middle of an update end the program
// once the update is on the medium, with no journal left.
TEST_F(KillSweepTest, StopSignalsWaitForTheUpdateToEnd) {
  const Operation rename{"rename", [](Context& ctx) { RenameMatching(ctx, "Keep.txt", "Kept.txt"); }, {}};
  const ChildRun whole = RunChild(rename, 0);
  ASSERT_GT(whole.writes, 1);
  ASSERT_FALSE(whole.updateEnds.empty());
  for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
    SCOPED_TRACE(signal);
    const ChildRun run = RunChild(rename, 1, signal);
    EXPECT_TRUE(run.killed);
    ASSERT_EQ(run.updateEnds, whole.updateEnds);
    EXPECT_FALSE(fs::exists(journal_));
    const std::string after = Kept("state" + std::to_string(whole.updateEnds.back()) + ".img");
    EXPECT_EQ(ReadWholeFile(Image()), ReadWholeFile(after));
  }
}

}  // namespace
}  // namespace tarvo
