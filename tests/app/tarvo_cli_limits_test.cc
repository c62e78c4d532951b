// tarvo-cli on volumes claiming more than there is: forks and drNxtCNID.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

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
using Bytes8 = std::vector<std::uint8_t>;
using testing::CliResult;

constexpr std::size_t kMdb = 1024;
constexpr std::size_t kDataLength = 26;
constexpr std::size_t kDataPhysical = 30;

// The data of the root's file record of `name` in the image; 0 when none.
std::size_t RootFileRecord(const Bytes8& image, const std::string& name) {
  Bytes8 key = {0, 0, 0, 0, 2, static_cast<std::uint8_t>(name.size())};
  key.insert(key.end(), name.begin(), name.end());
  for (auto at = std::search(image.begin() + 1, image.end(), key.begin(), key.end()); at != image.end();
       at = std::search(at + 1, image.end(), key.begin(), key.end())) {
    const std::size_t keyStart = static_cast<std::size_t>(at - image.begin()) - 1;
    const std::size_t data = keyStart + ((image[keyStart] + 2u) & ~1u);
    if (data < image.size() && image[data] == 2) return data;
  }
  return 0;
}

class TarvoCliLimitsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(testing::MakeHfsVolume(scratch_.Path(""), cli_.image, "Limits", 1024)); }
  Bytes8 Image() const { return testing::ReadWholeFile(cli_.image); }
  void SetNextId(std::uint32_t id) {
    Bytes8 image = Image();
    PutU32(image, kMdb + mdb::drNxtCNID, id);
    testing::WriteWholeFile(cli_.image, image);
  }

  testing::ScratchDir scratch_;
  testing::ImageCli cli_{scratch_, scratch_.Path("v.img")};
};

TEST_F(TarvoCliLimitsTest, AForkClaimedLongerThanItsExtentsIsCopiedAsTheyHoldIt) {
  const Bytes8 content = PatternBytes(1000);
  testing::WriteWholeFile(scratch_.Path("claims"), content);
  testing::WriteWholeFile(scratch_.Path("sound"), PatternBytes(300));
  ASSERT_TRUE(testing::RunHfsutils(scratch_.Path(""), cli_.image,
                                   {"hcopy -r " + testing::ShellQuote(scratch_.Path("claims")) + " :Claims",
                                    "hcopy -r " + testing::ShellQuote(scratch_.Path("sound")) + " :Sound"}));
  Bytes8 image = Image();
  const std::size_t record = RootFileRecord(image, "Claims");
  ASSERT_NE(record, 0u);
  const std::uint32_t held = GetU32(image, record + kDataPhysical);
  ASSERT_GE(held, content.size());
  PutU32(image, record + kDataLength, 4000000000u);
  testing::WriteWholeFile(cli_.image, image);

  const std::string told = "The file Claims: its data fork claims 4000000000 bytes, but its extents hold only " +
                           std::to_string(held) + "; the copy holds those.";
  for (const std::string mode : {"/d", "/b"}) {
    SCOPED_TRACE(mode);
    const std::string pc = scratch_.Path("pc" + mode.substr(1));
    fs::create_directory(pc);
    testing::ImageCli cli = cli_;
    cli.workDir = pc;
    const CliResult run = cli.Run({"-c", "copy " + mode + " *"}, "", ",ro");
    EXPECT_EQ(testing::CountOf(run.err, told), 1) << run.err;
    const bool macBinary = mode == "/b";
    const std::size_t header = macBinary ? 128 : 0;
    const std::string extension = macBinary ? ".bin" : ".txt";
    auto padded = [macBinary](std::size_t n) { return macBinary ? (n + 127) / 128 * 128 : n; };
    ASSERT_EQ(fs::file_size(pc + "/Claims" + extension), header + padded(held));
    const Bytes8 claims = testing::ReadWholeFile(pc + "/Claims" + extension);
    EXPECT_TRUE(std::equal(content.begin(), content.end(), claims.begin() + static_cast<std::ptrdiff_t>(header)));
    if (macBinary) {
      EXPECT_EQ(GetU32(claims, 83), held);  // the header's data fork length
    }
    EXPECT_EQ(testing::ReadWholeFile(pc + "/Sound" + extension).size(), header + padded(300));
  }
}

// From 0x7FFFFFFE one folder takes the last ID; at 0xFFFFFFFF MD is refused.
TEST_F(TarvoCliLimitsTest, TheLastIdIsNeverHandedOut) {
  SetNextId(0x7FFFFFFE);
  testing::WriteWholeFile(scratch_.Path("pc/A.TXT"), Bytes8{'a'});
  const CliResult run = cli_.Run({"-c", "md First", "-c", "md Second", "-c", "mcopy A.TXT"});
  EXPECT_EQ(testing::CountOf(run.err, kTextNoCatalogId), 2) << run.err;
  EXPECT_EQ(testing::HfsutilsOutput(scratch_.Path(""), cli_.image, "hls -1"), "First\n");
  CliResult check = cli_.Run({"--check"}, "", ",ro");
  EXPECT_EQ(check.out,
            "Volume header: drNxtCNID is 2147483647, but new files and folders take IDs from 16 to 2147483646\n");

  SetNextId(0xFFFFFFFF);
  check = cli_.Run({"--check"});
  EXPECT_EQ(check.exitCode, 1);
  EXPECT_EQ(check.out,
            "Volume header: drNxtCNID is 4294967295, but new files and folders take IDs from 16 to 2147483646\n");
  const Bytes8 before = Image();
  const CliResult md = cli_.Run({"-c", "md X"});
  EXPECT_NE(md.err.find("The volume is damaged where this command would write: Volume header: drNxtCNID is"),
            std::string::npos)
      << md.err;
  EXPECT_TRUE(Image() == before) << "the refused MD changed the image";
}

}  // namespace
}  // namespace tarvo
