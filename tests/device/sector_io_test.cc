#include "device/sector_io.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include <gtest/gtest.h>

#include "base/big_endian.h"
#include "base/context.h"
#include "device/fault_bus.h"
#include "device/image_bus.h"
#include "support/scratch_files.h"
#include "ui/scripted_ui.h"

namespace tarvo {
namespace {

using testing::ReadFileRange;
using testing::ReadWholeFile;
using testing::ScratchDir;
using testing::WriteWholeFile;

// Byte j of 512-byte logical sector s.
std::uint8_t Pattern(std::uint32_t s, std::uint32_t j) { return static_cast<std::uint8_t>(s * 7 + j / 3 + 1); }

class Drive : public ::testing::Test {
 protected:
  void Attach(std::uint32_t sectors, std::uint16_t blockSize = 512, bool readOnly = false) {
    image = scratch.Path("cartridge.img");
    std::vector<std::uint8_t> bytes(std::size_t{sectors} * 512);
    for (std::uint32_t s = 0; s < sectors; ++s)
      for (std::uint32_t j = 0; j < 512; ++j) bytes[s * 512 + j] = Pattern(s, j);
    WriteWholeFile(image, bytes);
    Select(blockSize, readOnly);
  }

  void Select(std::uint16_t blockSize, bool readOnly) {
    ASSERT_EQ(images.Attach({image, readOnly, blockSize}), "");
    ctx.scsi = &bus;
    ctx.ui = &ui;
    ctx.device.hostAdapterId = 0;
    ctx.volume.targetId = 0;
    ctx.volume.sectorSize = blockSize;
    ctx.device.sectorEntry = blockSize == 1024 ? SectorEntryKind::k1024 : SectorEntryKind::k512;
    ctx.volume.volumeOrigin = 0;
    ctx.volume.sectorsPerBlock = 1;
  }

  std::vector<std::uint8_t> Read(std::uint32_t start, std::uint16_t count, std::uint16_t* status = nullptr) {
    std::vector<std::uint8_t> buffer(std::size_t{count} * 512);
    SectorRequest r{.command = kReadSectors, .target = 0, .startSector = start, .sectorCount = count, .buffer = buffer};
    std::uint16_t st = SectorEntry(ctx, r);
    if (status) *status = st;
    return buffer;
  }

  std::uint16_t Write(std::uint32_t start, std::vector<std::uint8_t> data) {
    SectorRequest r{.command = kWriteSectors, .target = 0, .startSector = start,
                    .sectorCount = static_cast<std::uint16_t>(data.size() / 512), .buffer = data};
    return SectorEntry(ctx, r);
  }

  std::vector<std::uint8_t> Expected(std::uint32_t start, std::uint32_t count) {
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t s = start; s < start + count; ++s)
      for (std::uint32_t j = 0; j < 512; ++j) bytes.push_back(Pattern(s, j));
    return bytes;
  }

  ScratchDir scratch;
  std::string image;
  ImageBus images;
  FaultBus bus{images};
  ScriptedUi ui;
  Context ctx;
};

TEST_F(Drive, NotReadyAndPendingCommandsEndInSuccess) {
  Attach(1000);
  std::uint16_t status = 1;
  bus.notReadyCommands = 5;
  EXPECT_EQ(Read(0, 1, &status), Expected(0, 1));
  EXPECT_EQ(status, 0);

  bus.pendingPolls = 3;
  status = 1;
  EXPECT_EQ(Read(10, 2, &status), Expected(10, 2));
  EXPECT_EQ(status, 0);
}

TEST_F(Drive, SectorsOf1024BytesAppearAsPairsOfLogicalSectors) {
  Attach(400, 1024);
  EXPECT_EQ(Read(7, 1), Expected(7, 1));   // second half of physical sector 3
  EXPECT_EQ(Read(7, 2), Expected(7, 2));   // halves of two physical sectors
  EXPECT_EQ(Read(10, 4), Expected(10, 4));
  EXPECT_EQ(Read(10, 3), Expected(10, 3));  // odd count from an even start

  std::vector<std::uint8_t> ones(512, 0x11), twos(3 * 512, 0x22);
  ASSERT_EQ(Write(21, ones), 0);  // odd start: logical 20 is kept
  EXPECT_EQ(Read(20, 1), Expected(20, 1));
  EXPECT_EQ(Read(21, 1), ones);
  ASSERT_EQ(Write(30, ones), 0);  // even start, one sector: logical 31 is kept
  EXPECT_EQ(Read(31, 1), Expected(31, 1));
  ASSERT_EQ(Write(41, twos), 0);  // odd start, odd end: 40 and 44 are kept
  EXPECT_EQ(Read(40, 1), Expected(40, 1));
  EXPECT_EQ(Read(41, 3), twos);
  EXPECT_EQ(Read(44, 1), Expected(44, 1));
}

void RoundTrip(Context& ctx, ScratchDir& dir) {
  ctx.volume.volumeOrigin = 3;  // an odd origin crosses physical sectors
  ctx.volume.sectorsPerBlock = 2;
  std::vector<std::uint8_t> content(150 * 1024 + 700);
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<std::uint8_t>(i * 31 + 5);
  const std::string in = dir.Path("in"), out = dir.Path("out");
  WriteWholeFile(in, content);
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> src(std::fopen(in.c_str(), "rb"), std::fclose);
  // Only the bytes asked for are taken; the blocks hold zeros after them.
  const std::size_t taken = content.size() - 300;
  EXPECT_TRUE(WriteBlocksFromFile(ctx, src.get(), 5, 151, taken).ok());
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> dst(std::fopen(out.c_str(), "wb"), std::fclose);
  EXPECT_TRUE(ReadBlocksToFile(ctx, dst.get(), 5, static_cast<std::uint32_t>(content.size())).ok());
  dst.reset();
  std::fill(content.begin() + static_cast<std::ptrdiff_t>(taken), content.end(), 0);
  EXPECT_EQ(ReadWholeFile(out), content);
}

class BulkDrive : public Drive, public ::testing::WithParamInterface<std::uint16_t> {};

TEST_P(BulkDrive, TransfersRoundTrip) {
  Attach(2000, GetParam());
  RoundTrip(ctx, scratch);
  EXPECT_EQ(Read(12, 1), Expected(12, 1));
}

INSTANTIATE_TEST_SUITE_P(BlockSizes, BulkDrive, ::testing::Values(512, 1024));

TEST_F(Drive, LongCopiesKeepTheStreamsOrderAndTheirZeros) {
  Attach(1000);
  ASSERT_EQ(Write(100, std::vector<std::uint8_t>(200 * 512, 0)), 0);
  const std::string out = scratch.Path("out");
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(out.c_str(), "w+b"), std::fclose);
  std::fputs("head", f.get());
  EXPECT_TRUE(ReadBlocksToFile(ctx, f.get(), 50, 250 * 512 + 100).ok());  // data, zeros, data
  std::fputs("mid", f.get());
  EXPECT_TRUE(ReadBlocksToFile(ctx, f.get(), 100, 150 * 512).ok());  // zeros up to the end
  std::fputs("tail", f.get());
  f.reset();

  std::vector<std::uint8_t> expected{'h', 'e', 'a', 'd'};
  const auto append = [&expected](const std::vector<std::uint8_t>& bytes) {
    expected.insert(expected.end(), bytes.begin(), bytes.end());
  };
  append(Expected(50, 50));
  append(std::vector<std::uint8_t>(200 * 512, 0));
  std::vector<std::uint8_t> last = Expected(300, 1);
  last.resize(100);
  append(last);
  append({'m', 'i', 'd'});
  append(std::vector<std::uint8_t>(150 * 512, 0));
  append({'t', 'a', 'i', 'l'});
  EXPECT_EQ(ReadWholeFile(out), expected);
}

TEST_F(Drive, SectorsPast32BitsAreRefusedNotWrapped) {
  Attach(200);
  const std::size_t sentBefore = bus.sent.size();
  std::uint16_t status = 0;
  Read(0xFFFFFFFFu, 2, &status);
  EXPECT_NE(status, 0);

  ctx.volume.volumeOrigin = std::int64_t{0xFFFFFFFF} - 10;
  ctx.volume.sectorsPerBlock = 4;
  const std::string in = scratch.Path("in");
  WriteWholeFile(in, std::vector<std::uint8_t>(8 * 512, 0x66));
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(in.c_str(), "rb"), std::fclose);
  EXPECT_EQ(WriteBlocksFromFile(ctx, f.get(), 2, 2, 8 * 512).failedSectors, 8u);
  EXPECT_EQ(bus.sent.size(), sentBefore);
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_EQ(ui.messages.back(), kTextSectorPastAddresses);
  EXPECT_EQ(ReadFileRange(image, 0, 512), Expected(0, 1));
}

}  // namespace
}  // namespace tarvo
