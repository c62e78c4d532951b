#include "device/image_bus.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/big_endian.h"
#include "support/loop_device.h"
#include "support/scratch_files.h"
#include "support/srb_builders.h"

namespace tarvo {
namespace {

using namespace tarvo::testing;

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

  // The unit serial number the drive reports, which names its medium.
  std::string SerialNumber(std::uint8_t target) {
    std::vector<std::uint8_t> page(255);
    Srb inquiry = InquirySrb(0, target, page);
    inquiry.cdb[1] = 1;
    inquiry.cdb[2] = 0x80;
    EXPECT_EQ(SendAndWait(bus, inquiry), kSsComp);
    return std::string(page.begin() + 4, page.begin() + 4 + page[3]);
  }

  ScratchDir dir;
  ImageBus bus;
  Srb last;
};

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

TEST_F(ImageBusTest, InquiryFillsOnlyItsAllocationLength) {
  AttachOk({MakeImage("floppy.img", std::vector<std::uint8_t>(819200))});
  std::vector<std::uint8_t> data(150, 0xEE);
  Srb inquiry = InquirySrb(0, 0, std::span(data).first(100));
  ASSERT_EQ(SendAndWait(bus, inquiry), kSsComp);
  EXPECT_EQ(data[99], 0);
  EXPECT_EQ(data[100], 0xEE);
  Srb shortInquiry = InquirySrb(0, 0, data);
  shortInquiry.cdb[4] = 5;
  std::fill(data.begin(), data.end(), 0xEE);
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

TEST_F(ImageBusTest, ALockedFileAndADiskCopyImageAreWriteProtected) {
  const std::string locked = MakeImage("locked.img", PatternedImage(4, 512));
  ::chmod(locked.c_str(), 0444);
  const std::string copy = MakeImage(
      "copy.image", ReadWholeFile(std::string(TARVO_FIXTURES_DIR) + "/ara-installer-disk1-dc42.image"));
  for (const std::string& path : {copy, locked}) {
    if (path == locked && ::geteuid() == 0) continue;  // the superuser may write any file
    const std::vector<std::uint8_t> before = ReadWholeFile(path);
    AttachOk({path});
    std::vector<std::uint8_t> block(512);
    EXPECT_EQ(Transfer(true, 2, 1, block, static_cast<std::uint8_t>(bus.DriveCount() - 1)), kSsErr);
    EXPECT_EQ(SenseKey(last), kSenseDataProtect);
    EXPECT_EQ(ReadWholeFile(path), before);
  }
}

// A loop device stands for the memory card of a SCSI emulator in a reader;
// the system makes its node anew each time the card comes back, and the
// medium keeps its name under another node of the same device.
TEST_F(ImageBusTest, ABlockDeviceIsNamedByItsNumber) {
  const std::string image = MakeImage("card.img", PatternedImage(2048, 512));
  const LoopDevice loop(image);
  if (loop.path.empty()) GTEST_SKIP() << loop.skipReason;
  struct statvfs folder {};
  if (::statvfs(dir.Path("").c_str(), &folder) == 0 && (folder.f_flag & ST_NODEV) != 0) {
    GTEST_SKIP() << "the temporary folder allows no device nodes";
  }
  AttachOk({loop.path});
  struct stat info {};
  ASSERT_EQ(::stat(loop.path.c_str(), &info), 0);
  const std::string node = dir.Path("card-node");
  ASSERT_EQ(::mknod(node.c_str(), S_IFBLK | 0600, info.st_rdev), 0);
  AttachOk({node});
  EXPECT_EQ(SerialNumber(0), SerialNumber(1));
  AttachOk({image});
  EXPECT_NE(SerialNumber(2), SerialNumber(0));
}

TEST_F(ImageBusTest, ADeviceTheSystemHoldsReadOnlyIsWriteProtected) {
  const std::vector<std::uint8_t> content = PatternedImage(64, 512);
  const std::string image = MakeImage("locked.img", content);
  const LoopDevice loop(image, "-r");
  if (loop.path.empty()) GTEST_SKIP() << loop.skipReason;
  AttachOk({loop.path});
  std::vector<std::uint8_t> block(512, 0x5A);
  EXPECT_EQ(Transfer(true, 1, 1, block), kSsErr);
  EXPECT_EQ(SenseKey(last), kSenseDataProtect);
  EXPECT_EQ(bus.ClaimMedium(0, 0), MediumLockResult::kHeld);
  EXPECT_EQ(bus.WriteRefusal(0, 0), "");  // nothing mounts a device just made
  EXPECT_EQ(ReadWholeFile(image), content);
}

TEST_F(ImageBusTest, ADeviceOfOtherSectorsIsRefused) {
  const LoopDevice loop(MakeImage("big-sectors.img", PatternedImage(2048, 512)), "--sector-size 4096");
  if (loop.path.empty()) GTEST_SKIP() << loop.skipReason;
  const std::string error = bus.Attach({loop.path});
  EXPECT_NE(error.find("4096-byte sectors"), std::string::npos) << error;
  EXPECT_EQ(bus.DriveCount(), 0u);
  EXPECT_NE(bus.Attach({"/dev/null"}).find("neither an image file nor a block device"), std::string::npos);
}

}  // namespace
}  // namespace tarvo
