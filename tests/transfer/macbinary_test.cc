#include "transfer/macbinary.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <vector>

namespace tarvo {
namespace {

// A file record with recognisable fields and the given fork lengths.
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

struct ForkCall {
  std::uint16_t firstBlock;
  std::uint32_t fileId, byteCount;
  std::uint8_t forkType;
};

// Writes each fork as byteCount bytes of 'D' or 'R' and records the calls.
struct FakeForks {
  std::vector<ForkCall> calls;
  bool fail = false;
  ForkCopier Copier() {
    return [this](ConstBytes extents, std::FILE* f, std::uint32_t id, std::uint32_t n, std::uint8_t fork) {
      calls.push_back({GetU16(extents, 0), id, n, fork});
      std::vector<std::uint8_t> bytes(n, fork == 0 ? 'D' : 'R');
      return !fail && std::fwrite(bytes.data(), 1, n, f) == n;
    };
  }
};

std::vector<std::uint8_t> Contents(std::FILE* f) {
  std::vector<std::uint8_t> out;
  std::rewind(f);
  for (int c; (c = std::fgetc(f)) != EOF;) out.push_back(static_cast<std::uint8_t>(c));
  return out;
}

std::vector<std::uint8_t> Packed(std::uint32_t data, std::uint32_t rsrc, FakeForks& forks) {
  std::FILE* f = std::tmpfile();
  auto record = FileRecord(data, rsrc);
  EXPECT_TRUE(WriteMacBinary(f, "  Read Me", record, forks.Copier()));
  auto bytes = Contents(f);
  std::fclose(f);
  return bytes;
}

TEST(MacBinaryWrite, LaysOutHeaderForksAndPadding) {
  FakeForks none;
  EXPECT_EQ(Packed(0, 0, none).size(), 128u);
  EXPECT_TRUE(none.calls.empty());

  FakeForks dataOnly;
  EXPECT_EQ(Packed(300, 0, dataOnly).size(), 428u);  // no padding after the last fork

  FakeForks both;
  auto file = Packed(300, 10, both);
  ASSERT_EQ(file.size(), 522u);
  EXPECT_EQ(file[427], 'D');
  EXPECT_EQ(file[428], 0);
  EXPECT_EQ(file[511], 0);
  EXPECT_EQ(file[512], 'R');
  ASSERT_EQ(both.calls.size(), 2u);
  EXPECT_EQ(both.calls[0].firstBlock, 1111);
  EXPECT_EQ(both.calls[0].forkType, 0);
  EXPECT_EQ(both.calls[1].firstBlock, 2222);
  EXPECT_EQ(both.calls[1].forkType, 0xFF);
  EXPECT_EQ(both.calls[1].fileId, 77u);

  // Header: name without leading spaces, Finder data, zeros elsewhere.
  EXPECT_EQ(file[0], 0);
  EXPECT_EQ(file[1], 7);
  EXPECT_EQ(std::string(file.begin() + 2, file.begin() + 9), "Read Me");
  EXPECT_EQ(file[9], 0);
  EXPECT_EQ(GetU16(file, 73), 0x0100);
  EXPECT_EQ(GetU32(file, 75), 0x00200030u);
  EXPECT_EQ(GetU32(file, 79), 0u);
}

TEST(MacBinaryWrite, StopsWhenAForkCopyFails) {
  FakeForks forks;
  forks.fail = true;
  std::FILE* f = std::tmpfile();
  auto record = FileRecord(300, 10);
  EXPECT_FALSE(WriteMacBinary(f, "X", record, forks.Copier()));
  EXPECT_EQ(forks.calls.size(), 1u);  // the resource fork is not attempted
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

TEST(MacBinaryRead, RestoresWhatWasWritten) {
  FakeForks forks;
  std::FILE* f = std::tmpfile();
  auto record = FileRecord(300, 10);
  ASSERT_TRUE(WriteMacBinary(f, "Read Me", record, forks.Copier()));
  MacBinaryInfo info;
  ASSERT_EQ(ReadMacBinaryHeader(f, info), MacBinaryCheck::kAccepted);
  EXPECT_EQ(std::ftell(f), 128);
  EXPECT_EQ(info.name, "Read Me");
  EXPECT_EQ(info.type, "APPL");
  EXPECT_EQ(info.creator, "ttxt");
  EXPECT_EQ(info.dataLength, 300u);
  EXPECT_EQ(info.resourceLength, 10u);
  EXPECT_EQ(info.creationDate, 0xB0000001u);
  EXPECT_EQ(info.modificationDate, 0xB0000002u);
  EXPECT_EQ(info.resourceOffset, 512u);
  std::fclose(f);
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
  auto noName = h;
  noName[1] = 0;
  EXPECT_EQ(ParseMacBinaryHeader(noName, 522, info), MacBinaryCheck::kNotMacBinary);

  std::FILE* tiny = std::tmpfile();
  std::fputs("short", tiny);
  EXPECT_EQ(ReadMacBinaryHeader(tiny, info), MacBinaryCheck::kNotMacBinary);
  std::fclose(tiny);
}

TEST(MacBinaryRead, LongNameLengthStaysInsideTheNameField) {
  MacBinaryHeaderBytes h{};
  h[1] = 255;
  for (int i = 2; i < 65; ++i) h[i] = 'a';
  h[33] = 'z';  // character 32
  MacBinaryInfo info;
  ASSERT_EQ(ParseMacBinaryHeader(h, 128, info), MacBinaryCheck::kAccepted);
  EXPECT_EQ(info.name, std::string(31, 'a'));
}

// The name goes into the catalog: no path separator, no control character.
TEST(MacBinaryRead, NameHoldsNoColonOrControlCharacter) {
  MacBinaryHeaderBytes h = MakeMacBinaryHeader(std::string("a:b\0\x1F" "c\x7F\xA5", 8), FileRecord(0, 0));
  MacBinaryInfo info;
  ASSERT_EQ(ParseMacBinaryHeader(h, 128, info), MacBinaryCheck::kAccepted);
  EXPECT_EQ(info.name, "a_b__c\x7F\xA5");
}

}  // namespace
}  // namespace tarvo
