#include "transfer/copy_to_pc.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "device/fault_bus.h"
#include "hfs/catalog_record.h"
#include "hfs/catalog_search.h"
#include "support/byte_pattern.h"
#include "support/edit_volume.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"
#include "ui/dispatcher.h"
#include "ui/listing.h"
#include "ui/menu_model.h"
#include "ui/name_dialog.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;
using namespace testing;
using Data = std::vector<std::uint8_t>;

const Data kReadMeData = {'h', 'e', 'l', 'l', 'o', '\n'};
const Data kReportData = PatternBytes(1000, 2);
const Data kDeepData = PatternBytes(700, 4);
const Data kPackedData = PatternBytes(3000, 5);
const Data kPackedRsrc = PatternBytes(700, 6);

class CopyToPcTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new ScratchDir;
    image_ = dir_->Path("v.img");
    auto put = [](const std::string& name, const Data& bytes) {
      WriteWholeFile(dir_->Path(name), bytes);
      return ShellQuote(dir_->Path(name));
    };
    built_ = MakeHfsVolume(dir_->Path(""), image_, "Copies", 1024) &&
             RunHfsutils(dir_->Path(""), image_,
                         {"hcopy -m " + put("readme.bin", MacBinaryFile("Read me.txt", "TEXT", "ttxt", kReadMeData,
                                                                         PatternBytes(300, 1))) + " ':Read me.txt'",
                          "hcopy -m " + put("report.bin", MacBinaryFile("Annual report 1996", "XLS5", "XCEL",
                                                                         kReportData, {})) + " ':Annual report 1996'",
                          "hmkdir :Sub", "hmkdir :Sub:Inner", "hmkdir :Empty",
                          "hcopy -r " + put("deep", kDeepData) + " :Sub:Inner:deep",
                          "hcopy -m " + put("packed.bin", MacBinaryFile("Packed", "APPL", "TRVO", kPackedData,
                                                                         kPackedRsrc)) + " :Packed",
                          "hattrib +i :Packed"});
  }
  static void TearDownTestSuite() { delete dir_; }

  void SetUp() override {
    ASSERT_TRUE(built_);
    volume_ = std::make_unique<MountedVolume>(image_);
    ASSERT_GT(volume_->Mount(), 0);
    ctx().settings.namingMode = NamingMode::kLong;
    ctx().settings.longNamesAvailable = true;
    out_ = fs::path(scratch_.Path("out"));
    fs::create_directory(out_);
  }

  Context& ctx() { return volume_->ctx; }
  ScriptedUi& ui() { return volume_->ui; }
  Data Read(const std::string& name) { return ReadWholeFile((out_ / name).string()); }
  ItemCopy Copy(const std::string& pattern) {
    InDirectory in(out_);
    return CopyMatchingItems(ctx(), pattern, AskPcFileName);
  }
  std::optional<CatalogRecord> Record(const std::string& name) {
    const FoundRecord found = FindCatalogRecord(ctx().volume.catalog, name, kWantFile, kRootDirId);
    return found ? ReadCatalogRecord(found.record) : std::nullopt;
  }
  void CopyWithUnreadable(const std::string& name, std::uint32_t sector, const std::string& message) {
    FaultBus faults(volume_->bus);
    faults.unreadableSectors.insert(static_cast<std::uint32_t>(ctx().volume.volumeOrigin + sector));
    ctx().scsi = &faults;
    ASSERT_TRUE(OpenLogForCreate(ctx().log, scratch_.Path("copy.log")));
    EXPECT_EQ(Copy(name), ItemCopy::kDone);
    CloseLog(ctx().log);
    ctx().scsi = &volume_->bus;
    EXPECT_EQ(ui().messages, std::vector<std::string>{message});
    const Data log = ReadWholeFile(scratch_.Path("copy.log"));
    EXPECT_NE(std::string(log.begin(), log.end()).find("#" + message + "\n"), std::string::npos);
  }

  static inline ScratchDir* dir_ = nullptr;
  static inline std::string image_;
  static inline bool built_ = false;
  std::unique_ptr<MountedVolume> volume_;
  ScratchDir scratch_;
  fs::path out_;
};

TEST_F(CopyToPcTest, ClashingNamesAreNumberedAndNothingIsOverwritten) {
  EXPECT_EQ(Copy("Read me.txt"), ItemCopy::kDone);
  WriteWholeFile((out_ / "Read me (1).txt").string(), Data{'k', 'e', 'e', 'p'});
  EXPECT_EQ(Copy("Read me.txt"), ItemCopy::kDone);
  EXPECT_EQ(Copy("Read me.txt"), ItemCopy::kDone);
  EXPECT_EQ(Read("Read me.txt"), kReadMeData);
  EXPECT_EQ(Read("Read me (1).txt"), (Data{'k', 'e', 'e', 'p'}));
  EXPECT_EQ(Read("Read me (2).txt"), kReadMeData);
  EXPECT_EQ(Read("Read me (3).txt"), kReadMeData);
}

TEST_F(CopyToPcTest, RenamingOnTheFly) {
  ctx().settings.namingMode = NamingMode::kOnTheFly;
  ui().answers = {"../../escaped.bin", "cancel", "escaped.bin"};
  EXPECT_EQ(Copy("Read me.txt"), ItemCopy::kDone);
  EXPECT_EQ(Read("escaped.bin"), kReadMeData);
  EXPECT_EQ(Copy("Read me.txt"), ItemCopy::kDone);  // cancelled
  WriteWholeFile((out_ / "escaped.bin").string(), Data{'x'});
  EXPECT_EQ(Copy("Read me.txt"), ItemCopy::kDone);
  EXPECT_EQ(Read("escaped.bin"), Data{'x'});
  EXPECT_EQ(ui().messages, std::vector<std::string>{"escaped.bin already exists. Aborting the copy..."});
  EXPECT_EQ(ui().dialogs, (std::vector<std::string>{"DLG_NOMD", "DLG_NOMD", "DLG_NOMD"}));

  // The menu's copy of the selected rows asks the same way.
  ctx().settings.useCurrentDirectory = true;
  LoadListing(ctx());
  ASSERT_EQ(SelectMatching(ctx().listing, "Read me.txt"), 1);
  ui().answers = {"from the menu.txt"};
  {
    InDirectory in(out_);
    DispatchCommand(ctx(), kMenuCopyToPc);
  }
  EXPECT_EQ(Read("from the menu.txt"), kReadMeData);
  EXPECT_EQ(ui().dialogs.back(), "DLG_NOMD");
}

TEST_F(CopyToPcTest, NothingGoesThroughALinkInTheTarget) {
  const fs::path outside = scratch_.Path("outside");
  fs::create_directory(outside);
  fs::create_symlink(outside / "victim.txt", out_ / "Read me.txt");
  fs::create_directory_symlink(outside, out_ / "Sub");
  WriteWholeFile((out_ / "Empty").string(), Data{'f'});
  EXPECT_EQ(Copy("Read me.txt"), ItemCopy::kDone);
  EXPECT_EQ(Copy("Empty"), ItemCopy::kDone);
  EXPECT_EQ(Copy("Sub"), ItemCopy::kDone);
  EXPECT_TRUE(fs::is_empty(outside));
  EXPECT_TRUE(fs::is_symlink(out_ / "Read me.txt"));
  EXPECT_EQ(Read("Read me (1).txt"), kReadMeData);
  EXPECT_EQ(Read("Sub (1)/Inner/deep.txt"), kDeepData);
  EXPECT_TRUE(fs::is_directory(out_ / "Empty (1)"));
  EXPECT_EQ(Read("Empty"), Data{'f'});
  EXPECT_TRUE(ui().messages.empty());
}

TEST_F(CopyToPcTest, AFullPcDiskSaysSo) {
  setenv("TARVO_LPT1", "/dev/full", 1);
  ctx().settings.outputPort = 1;
  EXPECT_EQ(Copy("Read me.txt"), ItemCopy::kDone);
  unsetenv("TARVO_LPT1");
  EXPECT_EQ(ui().messages, std::vector<std::string>{"Not enough space on the PC disk. Error writing file: LPT1"});
}

TEST_F(CopyToPcTest, PortsTakeTheContentWithoutNameOrDate) {
  const std::string port = scratch_.Path("lpt2");
  setenv("TARVO_LPT2", port.c_str(), 1);
  ctx().settings.outputPort = 2;
  EXPECT_EQ(Copy("Read me.txt"), ItemCopy::kDone);
  EXPECT_EQ(Copy("Read me.txt"), ItemCopy::kDone);
  Data twice = kReadMeData;
  twice.insert(twice.end(), kReadMeData.begin(), kReadMeData.end());
  EXPECT_EQ(ReadWholeFile(port), twice);
  EXPECT_TRUE(fs::is_empty(out_));

  const std::string fifo = scratch_.Path("com1");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  setenv("TARVO_COM1", fifo.c_str(), 1);
  ctx().settings.outputPort = 4;
  EXPECT_EQ(Copy("Read me.txt"), ItemCopy::kDone);
  Data got(64);
  got.resize(static_cast<std::size_t>(std::max<ssize_t>(read(reader, got.data(), got.size()), 0)));
  close(reader);
  EXPECT_EQ(got, kReadMeData);
  unsetenv("TARVO_LPT2");
  unsetenv("TARVO_COM1");
}

TEST_F(CopyToPcTest, SelectionThroughTheMenuWithTheTargetDialog) {
  LoadListing(ctx());
  ASSERT_EQ(SelectMatching(ctx().listing, "Read me.txt"), 1);
  ASSERT_EQ(SelectMatching(ctx().listing, "Sub"), 1);
  ASSERT_TRUE(OpenLogForCreate(ctx().log, scratch_.Path("copy.log")));
  ui().answers = {"new", "Made", "ok"};
  {
    InDirectory in(out_);
    DispatchCommand(ctx(), 106);
  }
  CloseLog(ctx().log);
  EXPECT_EQ(Read("Made/Read me.txt"), kReadMeData);
  EXPECT_EQ(Read("Made/Sub/Inner/deep.txt"), kDeepData);
  EXPECT_EQ(CountSelected(ctx().listing), 0);
  const Data log = ReadWholeFile(scratch_.Path("copy.log"));
  const std::string text(log.begin(), log.end());
  EXPECT_EQ(text.rfind("Mac->PC\nRead me.txt\tRead me.txt\r\nCopying directory \"Sub\" to \"Sub\"\r\n", 0), 0u)
      << text;
  EXPECT_EQ(ui().dialogs, (std::vector<std::string>{"DLG_DEST", "DLG_NOUV"}));
}

TEST_F(CopyToPcTest, UnreadableSectorsAreZerosAndReported) {
  const std::optional<CatalogRecord> readMe = Record("Read me.txt");
  ASSERT_TRUE(readMe);
  CopyWithUnreadable("Read me.txt", GetU16(DataExtents(*readMe), 0) * ctx().volume.sectorsPerBlock,
                     "The file Read me.txt: 6 bytes could not be read and were written as zeros.");
  EXPECT_EQ(Read("Read me.txt"), Data(6, 0));

  ui().messages.clear();
  const std::optional<CatalogRecord> report = Record("Annual report 1996");
  ASSERT_TRUE(report);
  const ConstBytes extents = DataExtents(*report);
  ASSERT_GE(GetU16(extents, 2) * ctx().volume.allocBlockSize, kReportData.size());  // one run
  CopyWithUnreadable("Annual report 1996", GetU16(extents, 0) * ctx().volume.sectorsPerBlock + 1,
                     "The file Annual report 1996: 488 bytes could not be read and were written as zeros.");
  Data expected(kReportData.begin(), kReportData.begin() + 512);
  expected.resize(kReportData.size(), 0);
  EXPECT_EQ(Read("Annual report 1996.xls"), expected);
}

// hcopy -b sets no Finder flags, whatever the file holds.
TEST_F(CopyToPcTest, PackedCopiesAreReadByHfsutils) {
  for (const auto& [item, name, option, flags] : {std::tuple{kMenuBinaryCopy, "Packed.bin", "-m", 0x4000},
                                                  std::tuple{kMenuBinHexCopy, "Packed.hqx", "-b", 0}}) {
    DispatchCommand(ctx(), item);
    EXPECT_TRUE(ctx().menu.item(item).checked);
    ASSERT_EQ(Copy("Packed"), ItemCopy::kDone);
    EditVolume target;
    ASSERT_TRUE(target.HfsutilsWrite({std::string("hcopy ") + option + " " + ShellQuote((out_ / name).string()) +
                                      " :Got"}));
    const ExtractedFile got = target.HfsutilsFile(":Got");
    EXPECT_EQ(got.data, kPackedData) << name;
    EXPECT_EQ(got.rsrc, kPackedRsrc) << name;
    EXPECT_EQ(got.type + got.creator, "APPLTRVO") << name;
    EXPECT_EQ(got.finderFlags, flags) << name;
  }
  EXPECT_EQ(Read("Packed.bin").size() % 128, 0u);  // the last fork is padded too
  EXPECT_TRUE(ui().messages.empty());
}

}  // namespace
}  // namespace tarvo
