#include "transfer/macbinary.h"

#include <gtest/gtest.h>

#include "transfer/crc16.h"

#include <cstdio>
#include <stdexcept>
#include <vector>

namespace tarvo {
namespace {

std::vector<std::uint8_t> FileRecord(std::uint32_t dataLength, std::uint32_t resourceLength) {
  std::vector<std::uint8_t> r(102, 0);
  r[0] = 2;
  for (int i = 0; i < 8; ++i) r[4 + i] = "APPLttxt"[i];
  PutU16(r, 12, 0x0100);        // Finder flags
  PutU32(r, 14, 0x00200030);    // Finder location
  PutU32(r, 20, 77);            // file ID
  PutU32(r, 26, dataLength);
  PutU32(r, 36, resourceLength);
  PutU32(r, 44, 0xB0000001);    // creation date
  PutU32(r, 48, 0xB0000002);    // modification date
  PutU16(r, 74, 1111);          // first data extent
  PutU16(r, 86, 2222);          // first resource extent
  return r;
}

struct FakeForks {
  int calls = 0;
  ForkCopier Copier() {
    return [this](ConstBytes, std::FILE*, std::uint32_t, std::uint32_t, std::uint8_t) {
      ++calls;
      return false;
    };
  }
};

TEST(MacBinaryWrite, StopsWhenAForkCopyFails) {
  FakeForks forks;
  std::FILE* f = std::tmpfile();
  auto record = FileRecord(300, 10);
  EXPECT_FALSE(WriteMacBinary(f, "X", record, forks.Copier()));
  EXPECT_EQ(forks.calls, 1);  // the resource fork is not attempted
  record.resize(90);
  EXPECT_THROW(WriteMacBinary(f, "X", record, forks.Copier()), std::out_of_range);
  std::fclose(f);
}

TEST(MacBinaryWrite, NamesAreCutTo31Characters) {
  auto record = FileRecord(0, 0);
  auto header = MakeMacBinaryHeader(std::string(40, 'n'), record);
  EXPECT_EQ(header[1], 31);
  EXPECT_EQ(header[33], 0);
  EXPECT_EQ(MakeMacBinaryHeader("   ", record)[1], 3);  // spaces only: kept whole
}

TEST(MacBinaryRead, RefusesBadHeaders) {
  MacBinaryHeaderBytes h = MakeMacBinaryHeader("Name", FileRecord(300, 10));
  MacBinaryInfo info;
  EXPECT_EQ(ParseMacBinaryHeader(h, 522, info), MacBinaryCheck::kAccepted);
  EXPECT_EQ(ParseMacBinaryHeader(ConstBytes(h).first(127), 522, info), MacBinaryCheck::kNotMacBinary);
  EXPECT_EQ(ParseMacBinaryHeader(h, 521, info), MacBinaryCheck::kForksPastEnd);

  auto dataOnly = MakeMacBinaryHeader("Name", FileRecord(300, 0));
  EXPECT_EQ(ParseMacBinaryHeader(dataOnly, 428, info), MacBinaryCheck::kAccepted);
  EXPECT_EQ(ParseMacBinaryHeader(dataOnly, 427, info), MacBinaryCheck::kForksPastEnd);
  auto huge = MakeMacBinaryHeader("Name", FileRecord(0xFFFFFFFF, 0xFFFFFFFF));
  EXPECT_EQ(ParseMacBinaryHeader(huge, 1u << 20, info), MacBinaryCheck::kForksPastEnd);

  auto badFirst = h;
  badFirst[0] = 1;
  EXPECT_EQ(ParseMacBinaryHeader(badFirst, 522, info), MacBinaryCheck::kNotMacBinary);
  for (const auto& [offset, value] : {std::pair{1, 0}, {1, 64}, {74, 1}}) {
    auto bad = h;
    bad[offset] = static_cast<std::uint8_t>(value);
    EXPECT_EQ(ParseMacBinaryHeader(bad, 522, info), MacBinaryCheck::kNotMacBinary) << offset;
  }

  std::FILE* tiny = std::tmpfile();
  std::fputs("short", tiny);
  EXPECT_EQ(ReadMacBinaryHeader(tiny, info), MacBinaryCheck::kNotMacBinary);
  std::fclose(tiny);
}

TEST(MacBinaryRead, VersionsAreToldApartByTheirCrc) {
  auto record = FileRecord(300, 10);
  PutU16(record, 12, 0x4321);
  MacBinaryHeaderBytes h = MakeMacBinaryHeader("Name", record);
  MacBinaryInfo info;
  ASSERT_EQ(ParseMacBinaryHeader(h, 522, info), MacBinaryCheck::kAccepted);
  EXPECT_EQ(info.finderFlags, 0x4321);

  auto third = h;
  for (int i = 0; i < 4; ++i) third[102 + i] = static_cast<std::uint8_t>("mBIN"[i]);
  third[122] = 130;
  third[121] = 20;  // a secondary header of 20 bytes, padded to 128
  PutU16(third, 124, Crc16(ConstBytes(third).first(124)));
  ASSERT_EQ(ParseMacBinaryHeader(third, 650, info), MacBinaryCheck::kAccepted);
  EXPECT_EQ(info.dataOffset, 256u);
  EXPECT_EQ(info.resourceOffset, 640u);
  EXPECT_EQ(ParseMacBinaryHeader(third, 649, info), MacBinaryCheck::kForksPastEnd);

  auto first = h;
  first[125] ^= 1;
  ASSERT_EQ(ParseMacBinaryHeader(first, 522, info), MacBinaryCheck::kAccepted);
  EXPECT_EQ(info.finderFlags, 0x4300);
  EXPECT_EQ(info.dataOffset, 128u);
  first[82] = 1;
  EXPECT_EQ(ParseMacBinaryHeader(first, 522, info), MacBinaryCheck::kNotMacBinary);
}

TEST(MacBinaryRead, LongNameLengthStaysInsideTheNameField) {
  MacBinaryHeaderBytes h{};
  h[1] = 63;
  for (int i = 2; i < 65; ++i) h[i] = 'a';
  h[33] = 'z';  // character 32
  MacBinaryInfo info;
  ASSERT_EQ(ParseMacBinaryHeader(h, 128, info), MacBinaryCheck::kAccepted);
  EXPECT_EQ(info.name, std::string(31, 'a'));
}

}  // namespace
}  // namespace tarvo
