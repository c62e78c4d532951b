#include "device/sector_io.h"

#include <cstdio>
#include <memory>

#include <gtest/gtest.h>

#include "device/fault_bus.h"
#include "device/image_bus.h"
#include "support/scratch_files.h"
#include "ui/context.h"
#include "support/scripted_ui.h"

namespace tarvo {
namespace {

using testing::ReadFileRange;
using testing::ScratchDir;
using testing::WriteWholeFile;

std::uint8_t Pattern(std::uint32_t s, std::uint32_t j) { return static_cast<std::uint8_t>(s * 7 + j / 3 + 1); }

class Drive : public ::testing::Test {
 protected:
  void Attach(std::uint32_t sectors, std::uint16_t blockSize = 512) {
    image = scratch.Path("cartridge.img");
    std::vector<std::uint8_t> bytes(std::size_t{sectors} * 512);
    for (std::uint32_t s = 0; s < sectors; ++s)
      for (std::uint32_t j = 0; j < 512; ++j) bytes[s * 512 + j] = Pattern(s, j);
    WriteWholeFile(image, bytes);
    ASSERT_EQ(images.Attach({image, false, blockSize}), "");
    ctx.scsi = &bus;
    ctx.ui = &ui;
    ctx.device.hostAdapterId = 0;
    ctx.volume.targetId = 0;
    ctx.volume.sectorSize = blockSize;
    ctx.device.sectorEntry = blockSize == 1024 ? SectorEntryKind::k1024 : SectorEntryKind::k512;
    ctx.volume.volumeOrigin = 0;
    ctx.volume.sectorsPerBlock = 1;
  }

  std::vector<std::uint8_t> Read(std::uint32_t start, std::uint16_t count, SectorResult* result = nullptr) {
    std::vector<std::uint8_t> buffer(std::size_t{count} * 512);
    SectorRequest r{.command = kReadSectors, .target = 0, .startSector = start, .sectorCount = count, .buffer = buffer};
    const SectorResult moved = SectorEntry(ctx, r);
    if (result) *result = moved;
    return buffer;
  }

  SectorResult Write(std::uint32_t start, std::vector<std::uint8_t> data) {
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
  SectorResult result = SectorResult::kFailed;
  bus.notReadyCommands = 5;
  EXPECT_EQ(Read(0, 1, &result), Expected(0, 1));
  EXPECT_EQ(result, SectorResult::kDone);

  bus.pendingPolls = 3;
  result = SectorResult::kFailed;
  EXPECT_EQ(Read(10, 2, &result), Expected(10, 2));
  EXPECT_EQ(result, SectorResult::kDone);
}

TEST_F(Drive, SectorsOf1024BytesAppearAsPairsOfLogicalSectors) {
  Attach(400, 1024);
  EXPECT_EQ(Read(7, 1), Expected(7, 1));   // second half of physical sector 3
  EXPECT_EQ(Read(7, 2), Expected(7, 2));   // halves of two physical sectors
  EXPECT_EQ(Read(10, 4), Expected(10, 4));
  EXPECT_EQ(Read(10, 3), Expected(10, 3));  // odd count from an even start

  std::vector<std::uint8_t> ones(512, 0x11), twos(3 * 512, 0x22);
  ASSERT_EQ(Write(21, ones), SectorResult::kDone);  // odd start: logical 20 is kept
  EXPECT_EQ(Read(20, 1), Expected(20, 1));
  EXPECT_EQ(Read(21, 1), ones);
  ASSERT_EQ(Write(30, ones), SectorResult::kDone);  // even start, one sector: logical 31 is kept
  EXPECT_EQ(Read(31, 1), Expected(31, 1));
  ASSERT_EQ(Write(41, twos), SectorResult::kDone);  // odd start, odd end: 40 and 44 are kept
  EXPECT_EQ(Read(40, 1), Expected(40, 1));
  EXPECT_EQ(Read(41, 3), twos);
  EXPECT_EQ(Read(44, 1), Expected(44, 1));
}

TEST_F(Drive, SectorsPast32BitsAreRefusedNotWrapped) {
  Attach(200);
  const std::size_t sentBefore = bus.sent.size();
  SectorResult result = SectorResult::kDone;
  Read(0xFFFFFFFFu, 2, &result);
  EXPECT_EQ(result, SectorResult::kFailed);

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
