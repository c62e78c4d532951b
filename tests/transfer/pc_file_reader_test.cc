#include "transfer/pc_file_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/big_endian.h"
#include "base/program_settings.h"
#include "base/type_creator.h"
#include "support/scratch_files.h"
#include "transfer/apple_double_places.h"
#include "transfer/binhex.h"

namespace tarvo {
namespace {

using Data = std::vector<std::uint8_t>;

// An AppleSingle file holding only a real name.
Data AppleSingleNamed(const std::string& name) {
  Data bytes(38, 0);
  PutU32(bytes, 0, 0x00051600);
  PutU32(bytes, 4, 0x00020000);
  PutU16(bytes, 24, 1);
  PutU32(bytes, 26, 3);
  PutU32(bytes, 30, 38);
  PutU32(bytes, 34, static_cast<std::uint32_t>(name.size()));
  bytes.insert(bytes.end(), name.begin(), name.end());
  return bytes;
}

class PcFileReaderTest : public ::testing::Test {
 protected:
  ~PcFileReaderTest() override {
    if (file_ != nullptr) std::fclose(file_);
  }
  // Reads the scratch file `name` in that copy mode.
  PcFileReading Read(const std::string& name, std::uint16_t mode) {
    const std::filesystem::path path = dir_.Path(name);
    if (file_ != nullptr) std::fclose(file_);
    file_ = std::fopen(path.c_str(), "rb");
    places_ = FindPartnerPlaces(path.parent_path(), std::nullopt);
    const PcFileProbe probe{file_, path, PcFileFactsOf(file_), mode, std::nullopt, &typeCreators_, &places_};
    return ReadPcFile(probe);
  }
  void Put(const std::string& name, const Data& bytes) { testing::WriteWholeFile(dir_.Path(name), bytes); }
  void Put(const std::string& name, const std::string& text) { Put(name, Data(text.begin(), text.end())); }

  testing::ScratchDir dir_;
  TypeCreatorTable typeCreators_;
  PartnerPlaces places_;
  std::FILE* file_ = nullptr;
};

TEST_F(PcFileReaderTest, AnAppleSingleFileOutbidsTheMacBinaryMode) {
  Put("single.as", AppleSingleNamed("Kept"));
  const PcFileReading reading = Read("single.as", kCopyMacBinary);
  ASSERT_EQ(reading.status, PcReadStatus::kRead);
  EXPECT_EQ(reading.source.name, "Kept");
  EXPECT_FALSE(reading.passedPartner);
}

TEST_F(PcFileReaderTest, ADamagedPartnerGivesWayToTheCopyModesReader) {
  BinHexFile packed;
  packed.name = "Packed";
  packed.type = "TEXT";
  packed.creator = "ttxt";
  packed.dataFork = {1, 2, 3};
  packed.resourceFork = {4, 5};
  Put("packed.hqx", EncodeBinHex(packed));
  Put("._packed.hqx", Data(40, 7));
  const PcFileReading reading = Read("packed.hqx", kCopyBinHex);
  ASSERT_EQ(reading.status, PcReadStatus::kRead);
  EXPECT_EQ(reading.source.name, "Packed");
  EXPECT_EQ(reading.source.data.length, 3u);
  EXPECT_EQ(reading.source.resource.length, 2u);
  ASSERT_TRUE(reading.passedPartner);
  EXPECT_EQ(reading.passedPartner->name, "._packed.hqx");

  // Without a format it is refused as its mode says, the partner still named.
  Put("plain.bin", Data(200, 1));
  Put("._plain.bin", Data(40, 7));
  const PcFileReading refused = Read("plain.bin", kCopyMacBinary);
  EXPECT_EQ(refused.status, PcReadStatus::kNotMacBinary);
  ASSERT_TRUE(refused.passedPartner);
  EXPECT_EQ(refused.passedPartner->name, "._plain.bin");
}

TEST_F(PcFileReaderTest, AConvertedTextFileIsReadAtItsConvertedLength) {
  Put("NOTES.TXT", std::string("one\r\ntwo\r\n"));
  const PcFileReading reading = Read("NOTES.TXT", kCopyText | kCopyResource);
  ASSERT_EQ(reading.status, PcReadStatus::kRead);
  EXPECT_EQ(reading.source.name, "Notes.txt");
  EXPECT_EQ(reading.source.type, "TEXT");
  EXPECT_EQ(reading.source.data.length, 0u);
  EXPECT_EQ(reading.source.resource.length, 8u);
  ASSERT_NE(reading.source.held, nullptr);
  EXPECT_EQ(reading.source.stream, reading.source.held.get());
}

}  // namespace
}  // namespace tarvo
