// tarvo-cli on sparse volumes past cartridge sizes, read back by hfsutils.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/big_endian.h"
#include "base/messages.h"
#include "hfs/volume_header.h"
#include "support/byte_pattern.h"
#include "support/cli_image.h"
#include "support/hfs_volume.h"

namespace tarvo {
namespace {

using testing::PatternBytes;
namespace fs = std::filesystem;
using testing::CliResult;
using testing::ScratchDir;
using testing::ShellQuote;
using Bytes8 = std::vector<std::uint8_t>;

constexpr std::uint64_t kGigabyte = std::uint64_t{1} << 30;

std::int64_t FirstDataFrom(const std::string& path, std::uint64_t from) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  const off_t at = ::lseek(fd, static_cast<off_t>(from), SEEK_DATA);
  ::close(fd);
  return at;
}

std::uint64_t DiskBytes(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_blocks) * 512 : UINT64_MAX;
}

class TarvoCliLargeVolumeTest : public ::testing::Test {
 protected:
  void Format(int kilobytes) { ASSERT_TRUE(testing::MakeHfsVolume(Home(), image_, "Large", kilobytes)); }
  CliResult Run(const std::vector<std::string>& args, const std::string& suffix = "") {
    return cli_.Run(args, "", suffix);
  }
  Bytes8 HfsutilsRead(const std::string& name) {
    const std::string out = scratch_.Path("hfsutils.out");
    EXPECT_TRUE(testing::RunHfsutils(Home(), image_, {"hcopy -r :" + ShellQuote(name) + " " + ShellQuote(out)}));
    Bytes8 bytes = testing::ReadWholeFile(out);
    fs::remove(out);
    return bytes;
  }
  std::string Home() const { return scratch_.Path(""); }
  std::string Pc(const std::string& name) const { return scratch_.Path("pc/" + name); }

  ScratchDir scratch_;
  std::string image_ = scratch_.Path("large.img");
  testing::ImageCli cli_{scratch_, image_};
};

// A file past a gigabyte of zeros: its sectors lie past 2^21.
TEST_F(TarvoCliLargeVolumeTest, AFilePastTheFirstGigabyteIsWhereHfsutilsReadsIt) {
  Format(2 * 1024 * 1024);
  testing::WriteWholeFile(Pc("ZEROS.BIN"), {});
  fs::resize_file(Pc("ZEROS.BIN"), kGigabyte + kGigabyte / 8);
  const Bytes8 content = PatternBytes(300 * 1024 + 17, 5);
  testing::WriteWholeFile(Pc("FAR.TXT"), content);

  EXPECT_EQ(testing::WithoutCopySummaries(Run({"-c", "mcopy ZEROS.BIN", "-c", "mcopy FAR.TXT"}).err), "");

  EXPECT_EQ(testing::HfsutilsOutput(Home(), image_, "hls -1"), "Far.txt\nZeros.bin\n");
  EXPECT_EQ(HfsutilsRead("Far.txt"), content);
  const std::int64_t far = FirstDataFrom(image_, kGigabyte);
  ASSERT_GT(far, 0);
  const Bytes8 there = testing::ReadFileRange(image_, static_cast<std::uint64_t>(far), content.size() + 4096);
  EXPECT_NE(std::search(there.begin(), there.end(), content.begin(), content.end()), there.end());
  EXPECT_LT(DiskBytes(image_), kGigabyte / 16) << "the image is no longer sparse";
  cli_.ExpectClean();
}

// Over 4 GB: allocation blocks over 65535 bytes.
TEST_F(TarvoCliLargeVolumeTest, AVolumeWithBlocksOver64KbOpensListsAndTakesAWrite) {
  Format(5 * 1024 * 1024);
  ASSERT_GT(GetU32(testing::ReadFileRange(image_, 1024 + mdb::drAlBlkSiz, 4), 0), 65535u);
  const Bytes8 old = PatternBytes(200 * 1024 + 3, 9);
  testing::WriteWholeFile(Pc("old.txt"), old);
  ASSERT_TRUE(testing::RunHfsutils(Home(), image_, {"hcopy -r " + ShellQuote(Pc("old.txt")) + " :Old"}));
  fs::remove(Pc("old.txt"));

  const Bytes8 added = PatternBytes(150 * 1024 + 11, 1);
  testing::WriteWholeFile(Pc("NEW.TXT"), added);
  const CliResult run = Run({"-c", "copy Old", "-c", "mcopy NEW.TXT"});
  EXPECT_EQ(testing::WithoutCopySummaries(run.err), "");

  EXPECT_EQ(testing::ReadWholeFile(Pc("Old.txt")), old);
  EXPECT_EQ(testing::HfsutilsOutput(Home(), image_, "hls -1"), "New.txt\nOld\n");
  EXPECT_EQ(HfsutilsRead("New.txt"), added);
  cli_.ExpectClean();
}

// The last allocation block lies past a medium cut short.
TEST_F(TarvoCliLargeVolumeTest, AVolumeLongerThanItsMediumIsReported) {
  Format(2 * 1024 * 1024);
  fs::resize_file(image_, kGigabyte + kGigabyte / 2);
  const CliResult check = Run({"--check"}, ",ro");
  EXPECT_NE(check.out.find("Volume header: the last allocation block, 65534, cannot be read"), std::string::npos)
      << check.out;
  EXPECT_NE((check.out + check.err).find(kTextVolumePastMedium), std::string::npos) << check.err;
}

}  // namespace
}  // namespace tarvo
