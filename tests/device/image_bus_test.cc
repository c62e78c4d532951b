#include "device/image_bus.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/big_endian.h"
#include "support/scratch_files.h"
#include "support/srb_builders.h"

namespace tarvo {
namespace {

using namespace tarvo::testing;

// Every block of a patterned image starts with its own number, so a
// misplaced transfer shows in the data.
std::vector<std::uint8_t> PatternedImage(std::uint32_t blocks, std::uint16_t blockSize, std::size_t extra = 0) {
  std::vector<std::uint8_t> bytes(std::size_t{blocks} * blockSize + extra);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 509);
  for (std::uint32_t b = 0; b < blocks; ++b) PutU32(bytes, std::size_t{b} * blockSize, b);
  return bytes;
}

class ImageBusTest : public ::testing::Test {
 protected:
  std::string MakeImage(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::string path = dir.Path(name);
    WriteWholeFile(path, bytes);
    return path;
  }
  void AttachOk(const ImageSpec& image) { ASSERT_EQ(bus.Attach(image), ""); }
  std::vector<std::uint8_t> Capacity(std::uint8_t target) {
    std::vector<std::uint8_t> reply(512);
    Srb srb = ReadCapacitySrb(0, target, reply);
    EXPECT_EQ(SendAndWait(bus, srb), kSsComp);
    return {reply.begin(), reply.begin() + 8};
  }
  std::uint8_t Transfer(bool write, std::uint32_t block, std::uint16_t count, std::vector<std::uint8_t>& buffer,
                        std::uint8_t target = 0) {
    last = ReadWrite6Srb(0, target, write, block, count, buffer);
    return SendAndWait(bus, last);
  }

  ScratchDir dir;
  ImageBus bus;
  Srb last;
};

TEST(ParseImageOption, TakesOnlyTrailingSuffixes) {
  struct Case {
    const char* text;
    const char* path;
    bool readOnly;
    std::uint16_t blockSize;
  };
  const Case cases[] = {
      {"disk.img", "disk.img", false, 512},          {"disk.img,ro", "disk.img", true, 512},
      {"disk.img,1024", "disk.img", false, 1024},    {"disk.img,ro,1024", "disk.img", true, 1024},
      {"disk.img,1024,ro", "disk.img", true, 1024},  {"a,b/disk.img", "a,b/disk.img", false, 512},
      {"a,ro,x.img,ro", "a,ro,x.img", true, 512},    {"x,ro,ro", "x,ro", true, 512},
      {"x,512", "x", false, 512},                    {"x,", "x,", false, 512},
      {"x,1024,ro,512", "x,1024", true, 512},
  };
  for (const Case& c : cases) {
    std::string error;
    const auto image = ParseImageOption(c.text, error);
    ASSERT_TRUE(image.has_value()) << c.text << ": " << error;
    EXPECT_EQ(image->path, c.path) << c.text;
    EXPECT_EQ(image->readOnly, c.readOnly) << c.text;
    EXPECT_EQ(image->blockSize, c.blockSize) << c.text;
  }
  for (const char* bad : {"", ",ro", "x,2048"}) {
    std::string error;
    EXPECT_FALSE(ParseImageOption(bad, error).has_value()) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}

TEST(CreateBlankImage, MakesEveryCartridgeSizeAndAnySizeInMegabytes) {
  ScratchDir dir;
  const std::pair<int, std::uint32_t> sizes[] = {
      {44, 86700}, {88, 173456}, {105, 215440}, {200, 390696}, {270, 524288}};
  for (const auto& [megabytes, sectors] : sizes) {
    EXPECT_EQ(CartridgeSectors(megabytes), sectors);
    const std::string path = dir.Path(std::to_string(megabytes) + ".img");
    ASSERT_EQ(CreateBlankImage(path, megabytes), "");
    EXPECT_EQ(std::filesystem::file_size(path), std::uintmax_t{sectors} * 512);
  }
  EXPECT_EQ(CartridgeSectors(100), 0u);
  ASSERT_EQ(CreateBlankImage(dir.Path("odd.img"), 100), "");
  EXPECT_EQ(std::filesystem::file_size(dir.Path("odd.img")), std::uintmax_t{100} << 20);
  EXPECT_NE(CreateBlankImage(dir.Path("huge.img"), kMostImageMegabytes + 1), "");
  EXPECT_FALSE(std::filesystem::exists(dir.Path("huge.img")));

  const std::string existing = dir.Path("keep.img");
  const std::vector<std::uint8_t> content{1, 2, 3};
  WriteWholeFile(existing, content);
  const std::string error = CreateBlankImage(existing, 44);
  EXPECT_NE(error.find("already exists"), std::string::npos) << error;
  EXPECT_EQ(ReadWholeFile(existing), content);
}

TEST_F(ImageBusTest, RefusesUnusableImagesWithAReason) {
  std::string error = bus.Attach({dir.Path("missing.img")});
  EXPECT_NE(error.find("missing.img"), std::string::npos) << error;
  EXPECT_NE(error.find("does not exist"), std::string::npos) << error;
  std::filesystem::create_directory(dir.Path("folder"));
  EXPECT_NE(bus.Attach({dir.Path("folder")}).find("directory"), std::string::npos);
  EXPECT_NE(bus.Attach({MakeImage("empty.img", {})}).find("too small"), std::string::npos);
  EXPECT_NE(bus.Attach({MakeImage("half.img", std::vector<std::uint8_t>(1000)), false, 1024}).find("too small"),
            std::string::npos);
  EXPECT_EQ(bus.DriveCount(), 0u);

  const std::string path = MakeImage("one.img", std::vector<std::uint8_t>(512));
  for (std::size_t i = 0; i < kMaxImages; ++i) AttachOk({path, true});
  EXPECT_NE(bus.Attach({path, true}), "");
  EXPECT_EQ(bus.DriveCount(), kMaxImages);
}

TEST_F(ImageBusTest, AnswersTheAdapterAndDeviceQueries) {
  AttachOk({MakeImage("a.img", PatternedImage(8, 512))});
  EXPECT_EQ(bus.GetSupportInfo(), 0x0101u);

  Srb ha = HaInquirySrb(0);
  EXPECT_EQ(SendAndWait(bus, ha), kSsComp);
  EXPECT_EQ(ha.haCount, 1);
  EXPECT_EQ(std::string(ha.managerId.data()), "Tarvo image bus");
  Srb noHa = HaInquirySrb(1);
  EXPECT_EQ(SendAndWait(bus, noHa), kSsInvalidHa);
  EXPECT_EQ(noHa.haCount, 0);

  Srb type = DeviceTypeSrb(0, 0);
  type.deviceType = 0x1F;
  EXPECT_EQ(SendAndWait(bus, type), kSsComp);
  EXPECT_EQ(type.deviceType, kDeviceTypeDirectAccess);
  Srb empty = DeviceTypeSrb(0, 1);
  EXPECT_EQ(SendAndWait(bus, empty), kSsNoDevice);
  Srb reset = ResetSrb(0, 0);
  EXPECT_EQ(SendAndWait(bus, reset), kSsComp);

  Srb ready = ExecSrb(0, 0, {0x00, 0, 0, 0, 0, 0});
  EXPECT_EQ(SendAndWait(bus, ready), kSsComp);
  Srb unknown = ExecSrb(0, 0, {0x04, 0, 0, 0, 0, 0});  // FORMAT UNIT
  EXPECT_EQ(SendAndWait(bus, unknown), kSsErr);
  EXPECT_EQ(SenseKey(unknown), kSenseIllegalRequest);
  Srb prevent = ExecSrb(0, 0, {0x1E, 0, 0, 0, 1, 0});
  EXPECT_EQ(SendAndWait(bus, prevent), kSsComp);
  EXPECT_TRUE(bus.RemovalPrevented(0));
  Srb allow = ExecSrb(0, 0, {0x1E, 0, 0, 0, 0, 0});
  EXPECT_EQ(SendAndWait(bus, allow), kSsComp);
  EXPECT_FALSE(bus.RemovalPrevented(0));
}

TEST_F(ImageBusTest, IdentifiesAsASyQuestModelThatFitsTheCapacity) {
  const std::pair<int, const char*> models[] = {{44, "SQ555"}, {88, "SQ5110"}, {270, "SQ3270S"}};
  for (const auto& [megabytes, product] : models) {
    const std::string path = dir.Path(std::to_string(megabytes) + ".img");
    ASSERT_EQ(CreateBlankImage(path, megabytes), "");
    AttachOk({path});
  }
  AttachOk({MakeImage("floppy.img", std::vector<std::uint8_t>(819200))});
  for (std::uint8_t target = 0; target < 4; ++target) {
    std::vector<std::uint8_t> data(150, 0xEE);
    Srb inquiry = InquirySrb(0, target, std::span(data).first(100));
    ASSERT_EQ(SendAndWait(bus, inquiry), kSsComp);
    EXPECT_EQ(data[0], 0);
    EXPECT_EQ(data[1] & 0x80, 0x80);
    EXPECT_EQ(std::string(data.begin() + 8, data.begin() + 16), "SyQuest ");
    const std::string product(data.begin() + 16, data.begin() + 32);
    const char* expected = target < 3 ? models[target].second : "SQ555";
    EXPECT_EQ(product.substr(0, product.find(' ')), expected);
    EXPECT_EQ(data[99], 0);     // the allocation length is zero-filled
    EXPECT_EQ(data[100], 0xEE);  // and nothing beyond it is touched
  }
  std::vector<std::uint8_t> data(100, 0xEE);
  Srb shortInquiry = InquirySrb(0, 0, data);
  shortInquiry.cdb[4] = 5;
  ASSERT_EQ(SendAndWait(bus, shortInquiry), kSsComp);
  EXPECT_EQ(data[4], 31);
  EXPECT_EQ(data[5], 0xEE);
}

TEST_F(ImageBusTest, ReportsCapacityOfWholeBlocks) {
  AttachOk({MakeImage("a.img", PatternedImage(10, 512, 20))});
  AttachOk({MakeImage("b.img", PatternedImage(6, 1024, 600)), false, 1024});
  auto reply = Capacity(0);
  EXPECT_EQ(GetU32(reply, 0), 9u);
  EXPECT_EQ(GetU32(reply, 4), 512u);
  reply = Capacity(1);
  EXPECT_EQ(GetU32(reply, 0), 5u);
  EXPECT_EQ(GetU32(reply, 4), 1024u);
}

TEST_F(ImageBusTest, ReadsAndWritesRunsAtAnyAddress) {
  const std::string path = dir.Path("44.img");
  ASSERT_EQ(CreateBlankImage(path, 44), "");
  AttachOk({path});
  // (block, count): a count of 256 travels as 0; 70000 needs CDB byte 1.
  const std::pair<std::uint32_t, std::uint16_t> runs[] = {{0, 1}, {5, 3}, {1000, 256}, {70000, 64}, {86699, 1}};
  for (const auto& [block, count] : runs) {
    std::vector<std::uint8_t> out = PatternedImage(count, 512);
    for (std::uint16_t i = 0; i < count; ++i) PutU32(out, i * 512u, block + i);
    ASSERT_EQ(Transfer(true, block, count, out), kSsComp) << block;
    EXPECT_EQ(last.cdb[4], static_cast<std::uint8_t>(count));
  }
  for (const auto& [block, count] : runs) {
    std::vector<std::uint8_t> in(count * 512u);
    ASSERT_EQ(Transfer(false, block, count, in), kSsComp) << block;
    EXPECT_EQ(in, ReadFileRange(path, block * 512ull, in.size())) << block;
    for (std::uint16_t i = 0; i < count; ++i) ASSERT_EQ(GetU32(in, i * 512u), block + i);
  }
}

TEST_F(ImageBusTest, HolesOfASparseImageStayHolesAndReadAsZeros) {
  const std::string path = dir.Path("sparse.img");
  ASSERT_EQ(CreateBlankImage(path, 44), "");
  AttachOk({path, false, 512});
  std::vector<std::uint8_t> zeros(64 * 512, 0);
  ASSERT_EQ(Transfer(true, 1000, 64, zeros), kSsComp);
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_blocks, 0);  // nothing was allocated for them
  // Data goes in as ever, and zeros over data replace it.
  std::vector<std::uint8_t> data(2 * 512, 0x5A);
  ASSERT_EQ(Transfer(true, 2000, 2, data), kSsComp);
  std::vector<std::uint8_t> back(2 * 512);
  ASSERT_EQ(Transfer(false, 2000, 2, back), kSsComp);
  EXPECT_EQ(back, data);
  std::vector<std::uint8_t> cleared(2 * 512, 0);
  ASSERT_EQ(Transfer(true, 2000, 2, cleared), kSsComp);
  ASSERT_EQ(Transfer(false, 2000, 2, back), kSsComp);
  EXPECT_EQ(back, cleared);
  // Long reads over a hole and over a run that holds data among holes.
  std::vector<std::uint8_t> run(64 * 512, 0xEE);
  ASSERT_EQ(Transfer(false, 1000, 64, run), kSsComp);
  EXPECT_EQ(run, std::vector<std::uint8_t>(64 * 512, 0));
  ASSERT_EQ(Transfer(true, 3010, 1, data), kSsComp);
  std::fill(run.begin(), run.end(), 0xEE);
  ASSERT_EQ(Transfer(false, 3000, 64, run), kSsComp);
  EXPECT_EQ(run, ReadFileRange(path, 3000 * 512ull, run.size()));
  EXPECT_EQ(run[10 * 512], 0x5A);
}

TEST_F(ImageBusTest, AHoleOnceSeenEndsWhereDataIsWrittenIntoIt) {
  const std::string path = dir.Path("sparse.img");
  ASSERT_EQ(CreateBlankImage(path, 44), "");
  AttachOk({path, false, 512});
  std::vector<std::uint8_t> run(64 * 512, 0xEE);
  ASSERT_EQ(Transfer(false, 100, 64, run), kSsComp);  // the whole image is one hole
  std::vector<std::uint8_t> data(512, 0x5A);
  for (const std::uint32_t block : {100u, 5000u, 5100u}) {  // at the hole's start and inside it
    ASSERT_EQ(Transfer(true, block, 1, data), kSsComp) << block;
    std::fill(run.begin(), run.end(), 0xEE);
    ASSERT_EQ(Transfer(false, block - (block == 100 ? 0 : 10), 64, run), kSsComp) << block;
    EXPECT_EQ(run, ReadFileRange(path, (block - (block == 100 ? 0 : 10)) * 512ull, run.size())) << block;
    EXPECT_EQ(run[(block == 100 ? 0 : 10) * 512], 0x5A) << block;
    std::vector<std::uint8_t> one(512, 0xEE);  // a short read sees the write too
    ASSERT_EQ(Transfer(false, block, 1, one), kSsComp) << block;
    EXPECT_EQ(one, data) << block;
    ASSERT_EQ(Transfer(false, block - 1, 1, one), kSsComp) << block;
    EXPECT_EQ(one, ReadFileRange(path, (block - 1) * 512ull, 512)) << block;
  }
  // Zeros over data written into a hole seen are written, not left out.
  ASSERT_EQ(Transfer(false, 6000, 64, run), kSsComp);
  ASSERT_EQ(Transfer(true, 6100, 1, data), kSsComp);
  std::vector<std::uint8_t> zeros(512, 0);
  ASSERT_EQ(Transfer(true, 6100, 1, zeros), kSsComp);
  EXPECT_EQ(ReadFileRange(path, 6100 * 512ull, 512), zeros);
}

TEST_F(ImageBusTest, CountsIn1024ByteBlocksOnLargeSectorImages) {
  const std::string path = MakeImage("big.img", PatternedImage(300, 1024));
  AttachOk({path, false, 1024});
  std::vector<std::uint8_t> in(256 * 1024);
  ASSERT_EQ(Transfer(false, 40, 256, in), kSsComp);
  EXPECT_EQ(GetU32(in, 0), 40u);
  EXPECT_EQ(GetU32(in, 255 * 1024), 295u);
  std::vector<std::uint8_t> out(2048, 0xA5);
  ASSERT_EQ(Transfer(true, 299 - 1, 2, out), kSsComp);
  const auto file = ReadWholeFile(path);
  EXPECT_EQ(file[298 * 1024], 0xA5);
  EXPECT_EQ(file.back(), 0xA5);
  EXPECT_EQ(GetU32(file, 297 * 1024), 297u);
}

TEST_F(ImageBusTest, RunsOffTheMediumFailAndMoveNothing) {
  const std::vector<std::uint8_t> image = PatternedImage(100, 512);
  const std::string path = MakeImage("a.img", image);
  AttachOk({path});
  std::vector<std::uint8_t> buffer(4 * 512, 0x5A);
  for (std::uint32_t block : {97u, 100u, 0x1FFFFFu}) {
    ASSERT_EQ(Transfer(false, block, 4, buffer), kSsErr);
    EXPECT_EQ(SenseKey(last), kSenseIllegalRequest);
    EXPECT_EQ(SenseCode(last), 0x21);
    EXPECT_EQ(Transfer(true, block, 4, buffer), kSsErr);
  }
  EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 0x5A), 4 * 512);

  std::vector<std::uint8_t> small(3 * 512, 0x5A);  // one block short
  EXPECT_EQ(Transfer(false, 0, 4, small), kSsErr);
  EXPECT_EQ(Transfer(true, 0, 4, small), kSsErr);
  EXPECT_EQ(std::count(small.begin(), small.end(), 0x5A), 3 * 512);
  EXPECT_EQ(ReadWholeFile(path), image);

  Srb verify = Verify10Srb(0, 0, 90, 10);
  EXPECT_EQ(SendAndWait(bus, verify), kSsComp);
  verify = Verify10Srb(0, 0, 90, 11);
  EXPECT_EQ(SendAndWait(bus, verify), kSsErr);
  EXPECT_EQ(SenseKey(verify), kSenseIllegalRequest);
}

TEST_F(ImageBusTest, ReadOnlyImagesStayByteIdentical) {
  const std::vector<std::uint8_t> image = PatternedImage(16, 512);
  const std::string path = MakeImage("a.img", image);
  AttachOk({path, true});
  std::vector<std::uint8_t> out(2 * 512, 0xFF);
  ASSERT_EQ(Transfer(true, 3, 2, out), kSsErr);
  EXPECT_EQ(SenseKey(last), kSenseDataProtect);
  EXPECT_EQ(SenseCode(last), 0x27);
  ASSERT_EQ(Transfer(false, 3, 2, out), kSsComp);
  EXPECT_EQ(GetU32(out, 0), 3u);
  EXPECT_EQ(ReadWholeFile(path), image);
}

TEST_F(ImageBusTest, FilesWeMayNotWriteAreWriteProtected) {
  if (::geteuid() == 0) GTEST_SKIP() << "the superuser may write any file";
  const std::vector<std::uint8_t> image = PatternedImage(4, 512);
  const std::string path = MakeImage("locked.img", image);
  ::chmod(path.c_str(), 0444);
  AttachOk({path});
  std::vector<std::uint8_t> out(512);
  EXPECT_EQ(Transfer(true, 0, 1, out), kSsErr);
  EXPECT_EQ(SenseKey(last), kSenseDataProtect);
  EXPECT_EQ(ReadWholeFile(path), image);
}

// Another program on the same image is another bus: its attach opens the
// file anew.
TEST_F(ImageBusTest, AClaimIsRefusedWhileAnotherProgramHasTheImage) {
  const std::string path = MakeImage("shared.img", PatternedImage(64, 512));
  AttachOk({path});
  {
    ImageBus reader;
    ASSERT_EQ(reader.Attach({path, true}), "");
    EXPECT_EQ(bus.ClaimMedium(0, 0), MediumLockResult::kInUse);
    // A read-only image is never claimed: its writes are refused anyway.
    EXPECT_EQ(reader.ClaimMedium(0, 0), MediumLockResult::kHeld);
    EXPECT_EQ(bus.ClaimMedium(0, 0), MediumLockResult::kInUse);
  }
  EXPECT_EQ(bus.ClaimMedium(0, 0), MediumLockResult::kHeld);
}

TEST_F(ImageBusTest, AnAttachWaitsForAnotherProgramsUpdateToEnd) {
  const std::string path = MakeImage("shared.img", PatternedImage(64, 512));
  AttachOk({path});
  ASSERT_EQ(bus.ClaimMedium(0, 0), MediumLockResult::kHeld);
  const auto start = std::chrono::steady_clock::now();
  std::thread update([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    bus.ShareMedia();
  });
  ImageBus reader;
  EXPECT_EQ(reader.Attach({path}), "");
  const auto waited = std::chrono::steady_clock::now() - start;
  update.join();
  EXPECT_GE(waited, std::chrono::milliseconds(300));
  // The reader holds the image now: the writer's next claim is refused.
  EXPECT_EQ(bus.ClaimMedium(0, 0), MediumLockResult::kInUse);
}

// SYNCHRONIZE CACHE (10), waited for or only started, completes; the unit
// serial number names the image file by its device and inode.
TEST_F(ImageBusTest, SynchronizesAndNamesTheImageFile) {
  const std::string path = MakeImage("a.img", PatternedImage(8, 512));
  AttachOk({path});
  AttachOk({MakeImage("b.img", PatternedImage(8, 512)), true});
  for (std::uint8_t target = 0; target < 2; ++target) {
    for (std::uint8_t immediate : {0, 2}) {
      Srb sync = ExecSrb(0, target, {0x35, immediate, 0, 0, 0, 0, 0, 0, 0, 0});
      EXPECT_EQ(SendAndWait(bus, sync), kSsComp);
    }
  }
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  char serial[40];
  std::snprintf(serial, sizeof serial, "%016llX%016llX", static_cast<unsigned long long>(info.st_dev),
                static_cast<unsigned long long>(info.st_ino));
  std::vector<std::uint8_t> page(255, 0xEE);
  Srb vpd = ExecSrb(0, 0, {0x12, 0x01, 0x80, 0, 255, 0});
  vpd.buffer = page.data();
  vpd.bufLen = static_cast<std::uint32_t>(page.size());
  ASSERT_EQ(SendAndWait(bus, vpd), kSsComp);
  EXPECT_EQ(page[1], 0x80);
  ASSERT_EQ(page[3], 32);
  EXPECT_EQ(std::string(page.begin() + 4, page.begin() + 36), serial);
  EXPECT_EQ(page[36], 0);  // the rest of the allocation length is zeros

  Srb pages = ExecSrb(0, 0, {0x12, 0x01, 0x00, 0, 255, 0});
  pages.buffer = page.data();
  pages.bufLen = static_cast<std::uint32_t>(page.size());
  ASSERT_EQ(SendAndWait(bus, pages), kSsComp);
  const std::vector<std::uint8_t> listed(page.begin(), page.begin() + 6);
  EXPECT_EQ(listed, (std::vector<std::uint8_t>{0, 0, 0, 2, 0, 0x80}));
  Srb other = ExecSrb(0, 0, {0x12, 0x01, 0x83, 0, 255, 0});
  other.buffer = page.data();
  other.bufLen = static_cast<std::uint32_t>(page.size());
  EXPECT_EQ(SendAndWait(bus, other), kSsErr);
  EXPECT_EQ(SenseKey(other), kSenseIllegalRequest);
}

TEST_F(ImageBusTest, PresentsTheDataAreaOfADiskCopyImage) {
  const std::string fixture = std::string(TARVO_FIXTURES_DIR) + "/ara-installer-disk1-dc42.image";
  AttachOk({fixture});
  const auto reply = Capacity(0);
  EXPECT_EQ(GetU32(reply, 0), 819200u / 512 - 1);
  std::vector<std::uint8_t> block(512);
  ASSERT_EQ(Transfer(false, 2, 1, block), kSsComp);
  EXPECT_EQ(block[0], 'B');
  EXPECT_EQ(block[1], 'D');

  // A writable copy of such an image is protected too: its checksums would break.
  std::vector<std::uint8_t> copy = ReadWholeFile(fixture);
  const std::string path = MakeImage("copy.image", copy);
  AttachOk({path});
  EXPECT_EQ(Transfer(true, 2, 1, block, 1), kSsErr);
  EXPECT_EQ(SenseKey(last), kSenseDataProtect);
  EXPECT_EQ(ReadWholeFile(path), copy);
}

}  // namespace
}  // namespace tarvo
