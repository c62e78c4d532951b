#include "device/sector_io.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>

#include <gtest/gtest.h>

#include "base/big_endian.h"
#include "base/context.h"
#include "device/cdb_fields.h"
#include "device/fault_bus.h"
#include "device/image_bus.h"
#include "device/scsi_commands.h"
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

// One cartridge image with a known pattern, on the image bus behind the
// fault-injecting wrapper, selected as drive 0 of adapter 0.
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

  // A sparse image of `sectors` zeros: large media stay small on disk.
  void AttachSparse(std::uint64_t sectors) {
    image = scratch.Path("large.img");
    WriteWholeFile(image, {});
    std::filesystem::resize_file(image, sectors * 512);
    Select(512, false);
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
    SectorRequest r;
    r.command = kReadSectors;
    r.target = 0;
    r.startSector = start;
    r.sectorCount = count;
    r.buffer = buffer;
    std::uint16_t st = SectorEntry(ctx, r);
    if (status) *status = st;
    return buffer;
  }

  std::uint16_t Write(std::uint32_t start, std::vector<std::uint8_t> data) {
    SectorRequest r;
    r.command = kWriteSectors;
    r.target = 0;
    r.startSector = start;
    r.sectorCount = static_cast<std::uint16_t>(data.size() / 512);
    r.buffer = data;
    return SectorEntry(ctx, r);
  }

  std::vector<std::uint8_t> Expected(std::uint32_t start, std::uint32_t count) {
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t s = start; s < start + count; ++s)
      for (std::uint32_t j = 0; j < 512; ++j) bytes.push_back(Pattern(s, j));
    return bytes;
  }

  int Sent(std::uint8_t opcode) const {
    int n = 0;
    for (const Srb& srb : bus.sent)
      if (srb.command == SrbCommand::kExecScsiCmd && srb.cdb[0] == opcode) ++n;
    return n;
  }

  ScratchDir scratch;
  std::string image;
  ImageBus images;
  FaultBus bus{images};
  ScriptedUi ui;
  Context ctx;
};

TEST_F(Drive, CommandsFillTheRequestBlockAsTheDriveExpects) {
  Attach(300000);
  std::vector<std::uint8_t> buffer(256 * 512);
  SectorRequest r;
  r.command = kReadSectors;
  r.target = 0;
  r.startSector = 0x012345;
  r.sectorCount = 256;
  r.buffer = buffer;
  ASSERT_EQ(SendSectorRequest(ctx, r), 0);
  const Srb& read = bus.sent.back();
  EXPECT_EQ(read.flags, kSrbDirIn);
  EXPECT_EQ(read.bufLen, 256u * 512);
  EXPECT_EQ(read.senseLen, 20);
  EXPECT_EQ(read.cdbLen, 6);
  EXPECT_EQ((std::array<std::uint8_t, 6>{read.cdb[0], read.cdb[1], read.cdb[2], read.cdb[3], read.cdb[4], read.cdb[5]}),
            (std::array<std::uint8_t, 6>{0x08, 0x01, 0x23, 0x45, 0x00, 0x00}));
  EXPECT_EQ(r.command, kScsiRead6);

  r.command = kWriteSectors;
  r.sectorCount = 3;
  ASSERT_EQ(SendSectorRequest(ctx, r), 0);
  EXPECT_EQ(bus.sent.back().flags, kSrbDirOut);
  EXPECT_EQ(bus.sent.back().cdb[0], 0x0A);
  EXPECT_EQ(bus.sent.back().cdb[4], 3);

  std::array<std::uint8_t, 100> inquiry{};
  EXPECT_EQ(ScsiInquiry(ctx, 0, 0, inquiry), kSsComp);
  EXPECT_EQ(bus.sent.back().cdb[0], 0x12);
  EXPECT_EQ(bus.sent.back().cdb[4], 100);
  EXPECT_EQ(bus.sent.back().bufLen, 100u);
  EXPECT_EQ(bus.sent.back().senseLen, 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&inquiry[16]), 2), "SQ");

  std::vector<std::uint8_t> capacity(512, 0xEE);
  EXPECT_EQ(ScsiReadCapacity(ctx, 0, 0, capacity), kSsComp);
  EXPECT_EQ(bus.sent.back().cdbLen, 10);
  EXPECT_EQ(bus.sent.back().bufLen, 512u);
  EXPECT_EQ(GetU32(capacity, 0), 299999u);
  EXPECT_EQ(GetU32(capacity, 4), 512u);
  EXPECT_EQ(capacity[8], 0);  // the first 12 bytes are cleared before the command

  EXPECT_EQ(ScsiVerify10(ctx, 0, 0, 0x00010203, 0x0405), kSsComp);
  const Srb& verify = bus.sent.back();
  EXPECT_EQ(verify.cdb[0], 0x2F);
  EXPECT_EQ(GetU32(verify.cdb, 2), 0x00010203u);
  EXPECT_EQ(GetU16(verify.cdb, 7), 0x0405);
  EXPECT_EQ(verify.bufLen, 0u);

  EXPECT_EQ(ScsiPreventAllow(ctx, 0, 0, 1), kSsComp);
  EXPECT_EQ(bus.sent.back().cdb[0], 0x1E);
  EXPECT_EQ(bus.sent.back().cdb[4], 1);
  EXPECT_TRUE(images.RemovalPrevented(0));
  EXPECT_EQ(GetDeviceType(ctx, 0, 0), 0);
  EXPECT_EQ(GetDeviceType(ctx, 0, 5), 0xFFFF);
}

TEST_F(Drive, AFailingTransferIsTriedTwentyTimesWithAResetBeforeEach) {
  Attach(1000);
  bus.unreadableSectors = {40};
  ctx.device.resetBeforeTransfer = true;
  std::uint16_t status = 0;
  Read(32, 16, &status);
  EXPECT_EQ(status, kSsErr);
  EXPECT_EQ(Sent(0x08), 20);
  EXPECT_EQ(bus.resetCount, 20);

  // A drive that is not ready for a few commands succeeds on a later attempt.
  bus.notReadyCommands = 5;
  EXPECT_EQ(Read(0, 1, &status), Expected(0, 1));
  EXPECT_EQ(status, 0);
}

TEST_F(Drive, PendingCommandsArePolledToTheEnd) {
  Attach(100);
  bus.pendingPolls = 3;
  std::uint16_t status = 1;
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

// Writes 151 allocation blocks from a PC file and reads them back: the
// file comes back exactly (its byte count, not whole sectors), and the
// sector before the first block is untouched.
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

TEST_F(Drive, BulkTransfersRoundTripOn512ByteMedia) {
  Attach(2000);
  RoundTrip(ctx, scratch);
  EXPECT_EQ(Read(12, 1), Expected(12, 1));
}

TEST_F(Drive, BulkTransfersRoundTripOn1024ByteMedia) {
  Attach(2000, 1024);
  RoundTrip(ctx, scratch);
  EXPECT_EQ(Read(12, 1), Expected(12, 1));
}

TEST_F(Drive, ProgressShowsFrom321SectorsOn) {
  Attach(1000);
  const std::string out = scratch.Path("out");
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(out.c_str(), "wb"), std::fclose);
  ReadBlocksToFile(ctx, f.get(), 0, 320 * 512);
  EXPECT_TRUE(ui.progress.empty());
  ReadBlocksToFile(ctx, f.get(), 0, 320 * 512 + 1);
  ASSERT_EQ(ui.progress.size(), 6u);
  EXPECT_EQ(ui.progress.front(), 0u);
  EXPECT_EQ(ui.waitFrames.size(), 5u + 6u);
}

// A failing request is read again sector by sector: only the sectors that
// fail alone become zeros, and only their bytes within the count are lost.
TEST_F(Drive, OnlyUnreadableSectorsBecomeZerosAndAreCounted) {
  Attach(1000);
  bus.unreadableSectors = {70, 199};
  const std::string out = scratch.Path("out");
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(out.c_str(), "wb"), std::fclose);
  const TransferResult result = ReadBlocksToFile(ctx, f.get(), 0, 199 * 512 + 100);
  f.reset();
  EXPECT_EQ(result.failedSectors, 2u);
  EXPECT_EQ(result.lostBytes, 512u + 100u);
  EXPECT_EQ(ui.beeps, 2);  // one per request that lost sectors
  std::vector<std::uint8_t> expected = Expected(0, 200);
  expected.resize(199 * 512 + 100);
  std::fill_n(expected.begin() + 70 * 512, 512, 0);
  std::fill(expected.begin() + 199 * 512, expected.end(), 0);
  EXPECT_EQ(ReadWholeFile(out), expected);
}

// A long copy writes its chunks past the stream's buffer: what the stream
// held before comes first, what it gets after comes last, and runs of
// zeros, left as a hole at the file's end, read back as zeros.
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

TEST_F(Drive, ClearingLeadingSectorsCoversWholeGroupsOf64) {
  Attach(300);
  EXPECT_TRUE(ClearLeadingSectors(ctx, 0).ok());
  EXPECT_EQ(Sent(0x0A), 0);
  EXPECT_TRUE(ClearLeadingSectors(ctx, 65).ok());
  EXPECT_EQ(Sent(0x0A), 2);
  EXPECT_EQ(Read(127, 1), std::vector<std::uint8_t>(512, 0));
  EXPECT_EQ(Read(128, 1), Expected(128, 1));
  EXPECT_EQ(ui.statusLines.front(), "Resetting first sectors of the disk...|");
}

TEST_F(Drive, AWriteProtectedImageStaysByteIdentical) {
  Attach(500, 512, /*readOnly=*/true);
  const std::vector<std::uint8_t> before = ReadWholeFile(image);
  EXPECT_EQ(Write(10, std::vector<std::uint8_t>(1024, 0x55)), kSsErr);
  const std::string in = scratch.Path("in");
  WriteWholeFile(in, std::vector<std::uint8_t>(64 * 512, 0x66));
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(in.c_str(), "rb"), std::fclose);
  EXPECT_EQ(WriteBlocksFromFile(ctx, f.get(), 0, 64, 64 * 512).failedSectors, 64u);
  EXPECT_EQ(ReadWholeFile(image), before);
}

// Sectors at and past 2^21 travel in READ(10)/WRITE(10), which carry all
// 32 bits; READ(6)/WRITE(6) would keep only 21 and land near sector 0.
TEST_F(Drive, SectorsFrom2To21OnAreAddressedWithAllTheirBits) {
  AttachSparse(kCdb6BlockLimit + 64);
  const auto last = [this] {
    Srb exec;
    for (const Srb& srb : bus.sent)
      if (srb.command == SrbCommand::kExecScsiCmd) exec = srb;
    return exec;
  };
  const std::vector<std::uint8_t> below(512, 0x11);
  ASSERT_EQ(Write(kCdb6BlockLimit - 1, below), 0);
  EXPECT_EQ(last().cdbLen, 6);
  EXPECT_EQ(last().cdb[0], kOpWrite6);

  std::vector<std::uint8_t> across(3 * 512);
  for (std::size_t i = 0; i < across.size(); ++i) across[i] = static_cast<std::uint8_t>(i / 512 + 0x21);
  ASSERT_EQ(Write(kCdb6BlockLimit - 1, across), 0);
  EXPECT_EQ(last().cdbLen, 10);
  EXPECT_EQ(last().cdb[0], kOpWrite10);
  EXPECT_EQ(GetU32(last().cdb, 2), kCdb6BlockLimit - 1);
  EXPECT_EQ(GetU16(last().cdb, 7), 3);

  const std::vector<std::uint8_t> far(512, 0x77);
  ASSERT_EQ(Write(kCdb6BlockLimit + 5, far), 0);
  EXPECT_EQ(Read(kCdb6BlockLimit + 5, 1), far);
  EXPECT_EQ(last().cdb[0], kOpRead10);
  EXPECT_EQ(Read(kCdb6BlockLimit - 1, 3), across);
  EXPECT_EQ(ReadFileRange(image, (std::uint64_t{kCdb6BlockLimit} + 5) * 512, 512), far);
  EXPECT_EQ(ReadFileRange(image, 0, 16 * 512), std::vector<std::uint8_t>(16 * 512, 0)) << "a write wrapped";

  // A run that leaves the medium fails whole instead of wrapping.
  std::uint16_t status = 0;
  Read(kCdb6BlockLimit + 63, 2, &status);
  EXPECT_NE(status, 0);

  // The fault bus counts and fails 10-byte writes as it does 6-byte ones.
  bus.writesSeen = 0;
  bus.failWriteNumber = 1;
  EXPECT_NE(Write(kCdb6BlockLimit + 8, std::vector<std::uint8_t>(1024, 1)), 0);
  EXPECT_EQ(bus.writesSeen, 1);
  bus.failWriteNumber = 0;
  bus.unwritableSectors = {kCdb6BlockLimit + 9};
  EXPECT_NE(Write(kCdb6BlockLimit + 8, std::vector<std::uint8_t>(1024, 1)), 0);
}

// Sector numbers past 32 bits are refused, with a message, and nothing
// reaches the drive: no request, no bulk transfer.
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
