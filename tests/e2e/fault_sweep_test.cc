// Every write an operation issues is made to fail in turn (the n-th write
// and its retries): afterwards the volume is sound, every file on it has the
// same bytes, and the outcome is the one the user was told.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>

#include "hfs/allocation.h"
#include "hfs/btree.h"
#include "hfs/catalog_record.h"
#include "hfs/catalog_search.h"
#include "hfs/delete_entries.h"
#include "hfs/flush.h"
#include "hfs/work_file.h"
#include "maintenance/check_volume.h"
#include "maintenance/desktop_files.h"
#include "maintenance/format_volume.h"
#include "medium/partition_map.h"
#include "support/byte_pattern.h"
#include "support/hfs_volume.h"
#include "support/medium_context.h"
#include "support/scratch_files.h"
#include "transfer/copy_to_mac.h"
#include "transfer/pc_file_reader.h"
#include "transfer/write_file.h"
#include "ui/edit_commands.h"
#include "ui/open_volume.h"

namespace tarvo {
namespace {

using testing::PatternBytes;
using testing::MediumContext;
using testing::ReadWholeFile;
using testing::ScratchDir;
using testing::WriteWholeFile;
using tarvo::ScriptedUi;

// Every folder ("parent/name:") and file ("parent/name": type, creator, forks).
using Snapshot = std::map<std::string, std::string>;

constexpr int kVolumeKilobytes = 800;  // 1600 sectors: room for a format of the smallest layout

std::string ReadFork(Context& ctx, ConstBytes extents, std::uint32_t fileId, std::uint32_t length, std::uint8_t fork) {
  std::FILE* file = std::tmpfile();
  CopyForkToFile(ctx, extents, file, fileId, length, fork);
  std::string bytes(length, '\0');
  std::rewind(file);
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
  std::fclose(file);
  return bytes;
}

Snapshot TakeSnapshot(Context& ctx) {
  Snapshot snapshot;
  TreeWorkFile& catalog = ctx.volume.catalog;
  std::uint32_t n = GetU32(catalog.header, header::bthFNode);
  for (int leaves = 0; n != 0 && leaves < 1000; ++leaves) {
    NodeBuffer node{};
    if (!ReadNodeInto(catalog, n, node)) break;
    for (std::size_t i = 0; i < NodeRecordCount(node); ++i) {
      const std::optional<Bytes> raw = RecordAt(node, i);
      const std::optional<CatalogRecord> r = raw ? ReadCatalogRecord(*raw) : std::nullopt;
      if (!r) continue;
      const std::string key = std::to_string(r->key.parentId) + "/" + r->key.name;
      if (r->type == kDirectoryRecord) snapshot[key + ":"] = "";
      if (r->type != kFileRecord) continue;
      snapshot[key] = FileType(*r) + FileCreator(*r) + "|" +
                      ReadFork(ctx, DataExtents(*r), FileId(*r), DataLogicalLength(*r), kDataFork) + "|" +
                      ReadFork(ctx, ResourceExtents(*r), FileId(*r), ResourceLogicalLength(*r), kResourceFork);
    }
    n = NodeForwardLink(node);
  }
  return snapshot;
}

std::string Differences(const Snapshot& got, const Snapshot& want) {
  std::string text;
  for (const auto& [key, value] : got) {
    if (!want.contains(key)) text += " extra " + key;
    else if (want.at(key) != value) text += " changed " + key;
  }
  for (const auto& [key, value] : want) {
    if (!got.contains(key)) text += " missing " + key;
  }
  return text;
}

struct Inspection {
  std::vector<std::string> problems;
  Snapshot snapshot;
};

Inspection Inspect(const std::string& image) {
  testing::MountedVolume volume(image, true);
  PartitionList partitions;
  ReadPartitionMap(volume.ctx, partitions);
  Inspection seen;
  if (volume.Mount() <= 0) {
    seen.problems.push_back("no volume");
    return seen;
  }
  const CheckReport report = CheckVolume(volume.ctx);
  if (!report.clean()) seen.problems = CheckReportLines(report);
  seen.snapshot = TakeSnapshot(volume.ctx);
  return seen;
}

struct Operation {
  std::string name;
  std::function<void(Context&)> run;
  // What the volume holds after a run with these messages, given what it
  // held before and after the run without faults.
  std::function<Snapshot(const Snapshot& before, const Snapshot& changed, const std::vector<std::string>& messages)>
      expected;
  std::function<void(Snapshot&)> change;  // as the run without faults must make it
};

bool Mentions(const std::vector<std::string>& messages, const std::string& text) {
  for (const std::string& m : messages) {
    if (m.find(text) != std::string::npos) return true;
  }
  return false;
}

class FaultSweepTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new ScratchDir;
    const std::string image = dir_->Path("base.img");
    WriteWholeFile(dir_->Path("keep.txt"), PatternBytes(8000, 1));
    WriteWholeFile(dir_->Path("inner.txt"), PatternBytes(700, 2));
    ASSERT_TRUE(testing::MakeHfsVolume(dir_->Path(""), image, "Sweep", kVolumeKilobytes));
    ASSERT_TRUE(testing::RunHfsutils(dir_->Path(""), image,
                                     {"hcopy -r " + testing::ShellQuote(dir_->Path("keep.txt")) + " :Keep.txt",
                                      "hmkdir :Docs",
                                      "hcopy -r " + testing::ShellQuote(dir_->Path("inner.txt")) + " :Docs:Inner.txt"}));
    MakeFragmentedFile(image);
    base_ = new std::vector<std::uint8_t>(ReadWholeFile(image));
  }
  static void TearDownTestSuite() {
    delete base_;
    delete dir_;
  }

  static void WriteFile(Context& ctx, const std::string& name, std::size_t size, unsigned seed) {
    const std::string pc = dir_->Path(name);
    WriteWholeFile(pc, PatternBytes(size, seed));
    std::FILE* file = std::fopen(pc.c_str(), "rb");
    ASSERT_EQ(WriteFileToVolume(ctx, PlainFileSource(file, *PcFileFactsOf(file), name, "BINA????", ForkChoice::kData),
                                name, kRootDirId, 0),
              FileWrite::kDone);
    std::fclose(file);
  }

  // Three files of 20 blocks, the middle one deleted and flushed, then one
  // of 30 blocks: first fit gives it the hole and 10 blocks after the third.
  static void MakeFragmentedFile(const std::string& image) {
    testing::MountedVolume volume(image, false);
    ASSERT_GT(volume.Mount(), 0);
    Context& ctx = volume.ctx;
    const std::size_t block = ctx.volume.allocBlockSize;
    WriteFile(ctx, "Pad1", 20 * block, 5);
    WriteFile(ctx, "Hole", 20 * block, 6);
    WriteFile(ctx, "Pad2", 20 * block, 7);
    ASSERT_EQ(DeleteItem(ctx, "Hole", nullptr), DeleteStatus::kDone);
    ASSERT_TRUE(FlushVolume(ctx).ok());
    WriteFile(ctx, "Frag.bin", 30 * block, 8);
    ASSERT_TRUE(FlushVolume(ctx).ok());
    const FoundRecord found = FindCatalogRecord(ctx.volume.catalog, "Frag.bin", kWantFile, kRootDirId);
    ASSERT_TRUE(found);
    const std::optional<CatalogRecord> record = ReadCatalogRecord(found.record);
    ASSERT_TRUE(record);
    ASSERT_NE(GetU16(DataExtents(*record), 6), 0u);  // a second extent
  }

  struct Outcome {
    int writes = 0;
    std::vector<std::string> messages;
    std::vector<std::string> memoryProblems;  // the engine's own view after the operation
    std::string image;
  };

  // The operation on a fresh copy of the volume, failing the n-th write (0: none).
  Outcome Run(MediumContext& m, const Operation& op, int failAt) {
    Outcome outcome;
    outcome.image = m.Insert(*base_);
    m.ctx.volume.deviceSectors = static_cast<std::uint32_t>(base_->size() / 512);
    EXPECT_EQ(OpenVolume(m.ctx), VolumeOpening::kOpened);
    m.faults->writesSeen = 0;
    m.faults->failWriteNumber = failAt;
    op.run(m.ctx);
    outcome.writes = m.faults->writesSeen;
    outcome.messages = m.ui.messages;
    if (m.ctx.volume.catalog.handle != nullptr) {
      const CheckReport report = CheckVolume(m.ctx);
      if (!report.clean()) outcome.memoryProblems = CheckReportLines(report);
    }
    return outcome;
  }

  void Sweep(const Operation& op) {
    const Snapshot before = Inspect(WriteBase()).snapshot;
    ASSERT_FALSE(before.empty());
    MediumContext clean;
    const Outcome faultFree = Run(clean, op, 0);
    ASSERT_EQ(faultFree.messages, std::vector<std::string>{}) << op.name;
    const Inspection done = Inspect(faultFree.image);
    ASSERT_EQ(done.problems, std::vector<std::string>{}) << op.name;
    Snapshot changed = before;
    op.change(changed);
    ASSERT_TRUE(done.snapshot == changed) << op.name << Differences(done.snapshot, changed);
    ASSERT_GT(faultFree.writes, 0) << op.name;

    for (int n = 1; n <= faultFree.writes; ++n) {
      MediumContext m;
      const Outcome outcome = Run(m, op, n);
      const Inspection seen = Inspect(outcome.image);
      const std::string where = op.name + ", write " + std::to_string(n) + " of " + std::to_string(faultFree.writes);
      EXPECT_EQ(seen.problems, std::vector<std::string>{}) << where;
      EXPECT_EQ(outcome.memoryProblems, std::vector<std::string>{}) << where;
      EXPECT_FALSE(Mentions(outcome.messages, "may need checking")) << where;
      const Snapshot want = op.expected(before, changed, outcome.messages);
      EXPECT_TRUE(seen.snapshot == want) << where << Differences(seen.snapshot, want) << " after "
                                     << ::testing::PrintToString(outcome.messages);
    }
  }

  std::string WriteBase() {
    const std::string path = dir_->Path("before.img");
    WriteWholeFile(path, *base_);
    return path;
  }

  static ScratchDir* dir_;
  static std::vector<std::uint8_t>* base_;
};

ScratchDir* FaultSweepTest::dir_ = nullptr;
std::vector<std::uint8_t>* FaultSweepTest::base_ = nullptr;

// Before when a failure was told, else the change.
Operation AllOrNothing(std::string name, std::function<void(Context&)> run, std::function<void(Snapshot&)> change) {
  return {std::move(name), std::move(run),
          [](const Snapshot& before, const Snapshot& changed, const std::vector<std::string>& messages) {
            return Mentions(messages, "Error writing") ? before : changed;
          },
          std::move(change)};
}

// A copy of these PC files into the root, a replacement answered Yes.
std::function<void(Context&)> CopyFiles(const std::string& pcDir, const std::vector<std::string>& names) {
  return [pcDir, names](Context& ctx) {
    static_cast<ScriptedUi*>(ctx.ui)->answers.push_back("yes");
    PcToMacRequest request;
    request.source = PcToMacRequest::Source::kSelection;
    request.pcDirectory = pcDir;
    request.names = names;
    CopyPcToMac(ctx, request);
  };
}

// A file that replaces Pad1, then two new ones: the first would fit the
// blocks Pad1 leaves, which must keep its data until the flush has written
// the change.
TEST_F(FaultSweepTest, CopyOntoTheVolume) {
  struct Copied {
    std::string pcName, macName;
    std::vector<std::uint8_t> content;
  };
  const std::vector<Copied> copies = {
      {"PAD1", "Pad1", PatternBytes(2500, 9)},
      {"NEW1.TXT", "New1.txt", PatternBytes(3000, 3)},
      {"NEW2.BIN", "New2.bin", PatternBytes(40000, 4)},
  };
  std::vector<std::string> names;
  for (const Copied& c : copies) {
    WriteWholeFile(dir_->Path(c.pcName), c.content);
    names.push_back(c.pcName);
  }
  Sweep({"copy", CopyFiles(dir_->Path(""), names),
         // A file whose content could not be written is not recorded (a
         // file it was to replace stays), and the copy stops there.
         [copies](const Snapshot& before, const Snapshot& changed, const std::vector<std::string>& messages) {
           Snapshot after = before;
           if (Mentions(messages, kTextChangeNotMade)) return after;
           for (const Copied& c : copies) {
             if (Mentions(messages, "the file " + c.macName)) break;
             after["2/" + c.macName] = changed.at("2/" + c.macName);
           }
           return after;
         },
         [copies](Snapshot& after) {
           for (const Copied& c : copies) {
             after["2/" + c.macName] = "TEXT????|" + std::string(c.content.begin(), c.content.end()) + "|";
           }
         }});
}

TEST_F(FaultSweepTest, DeleteOfAFragmentedFileRenameMakeFolderAndFormat) {
  Sweep(AllOrNothing(
      "delete", [](Context& ctx) { DeleteMatching(ctx, "Frag.bin"); },
      [](Snapshot& after) { after.erase("2/Frag.bin"); }));
  Sweep(AllOrNothing(
      "rename", [](Context& ctx) { RenameMatching(ctx, "Keep.txt", "Kept.txt"); },
      [](Snapshot& after) { after["2/Kept.txt"] = after.extract("2/Keep.txt").mapped(); }));
  Sweep(AllOrNothing(
      "make folder", [](Context& ctx) { MakeFolder(ctx, "Fresh folder"); },
      [](Snapshot& after) { after["2/Fresh folder:"] = ""; }));
  Sweep({"format", [](Context& ctx) { FormatVolume(ctx, "Blank"); },
         [](const Snapshot& before, const Snapshot& changed, const std::vector<std::string>& messages) {
           return Mentions(messages, kTextNotFormatted) ? before : changed;
         },
         // The new volume's root and its four Desktop files, as written.
         [](Snapshot& after) {
           after = {{"1/Blank:", ""}};
           for (const DesktopFile& file : DesktopFiles()) {
             const std::string content(file.content.begin(), file.content.end());
             const bool data = file.fork == ForkChoice::kData;
             after["2/" + file.name] = file.typeCreator + "|" + (data ? content : "") + "|" + (data ? "" : content);
           }
         }});
}

// The same volume with room for 8 blocks more, so that replacing Pad1 (20
// blocks) by a file of 26 needs Pad1's own blocks: every write of the
// replace and of its flush failing in turn leaves Pad1 whole.
class FullVolumeFaultSweepTest : public FaultSweepTest {
 protected:
  static void SetUpTestSuite() {
    FaultSweepTest::SetUpTestSuite();
    const std::string image = dir_->Path("full.img");
    WriteWholeFile(image, *base_);
    {
      testing::MountedVolume volume(image, false);
      ASSERT_GT(volume.Mount(), 0);
      Context& ctx = volume.ctx;
      ASSERT_TRUE(EnsureBitmapLoaded(ctx));
      blockSize_ = ctx.volume.allocBlockSize;
      WriteFile(ctx, "Filler", std::size_t{blockSize_} * (CountAllocatableBlocks(ctx.volume) - 8), 12);
      ASSERT_TRUE(FlushVolume(ctx).ok());
    }
    *base_ = ReadWholeFile(image);
  }

  static std::uint32_t blockSize_;
};

std::uint32_t FullVolumeFaultSweepTest::blockSize_ = 0;

TEST_F(FullVolumeFaultSweepTest, ReplaceOfAFileByOneLargerThanTheFreeSpace) {
  const std::vector<std::uint8_t> content = PatternBytes(std::size_t{blockSize_} * 26 - 300, 13);
  WriteWholeFile(dir_->Path("PAD1"), content);
  Sweep(AllOrNothing(
      "replace", CopyFiles(dir_->Path(""), {"PAD1"}),
      [content](Snapshot& after) {
        after["2/Pad1"] = "TEXT????|" + std::string(content.begin(), content.end()) + "|";
      }));
}

}  // namespace
}  // namespace tarvo
