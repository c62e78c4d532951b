// MacBinary packing of a file of a real volume, built by hfsutils (run as a
// black box), with the forks copied by the HFS engine.
#include <gtest/gtest.h>

#include <cstdio>

#include "hfs/catalog_record.h"
#include "hfs/catalog_search.h"
#include "hfs/work_file.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"
#include "transfer/macbinary.h"

namespace tarvo {
namespace {

using testing::ShellQuote;

std::vector<std::uint8_t> Pattern(std::size_t n, int seed) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + seed);
  return bytes;
}

TEST(MacBinaryVolume, PacksBothForksOfAVolumeFile) {
  testing::ScratchDir dir;
  const std::string image = dir.Path("volume.img");
  ASSERT_TRUE(testing::MakeHfsVolume(dir.Path(""), image, "Packed", 2048));
  const auto data = Pattern(1300, 1), rsrc = Pattern(700, 2);
  testing::WriteWholeFile(dir.Path("in.bin"), testing::MacBinaryFile("Two Forks", "APPL", "TEST", data, rsrc));
  ASSERT_TRUE(testing::RunHfsutils(dir.Path(""), image,
                                   {"hcopy -m " + ShellQuote(dir.Path("in.bin")) + " :"}));

  testing::MountedVolume v(image);
  ASSERT_GT(v.Mount(), 0);
  const FoundRecord found = FindCatalogRecord(v.ctx.volume.catalog, "Two Forks", kWantFile, kRootDirId);
  ASSERT_TRUE(found);
  const std::optional<CatalogRecord> record = ReadCatalogRecord(found.record);
  ASSERT_TRUE(record);

  const std::string path = dir.Path("out.bin");
  std::FILE* out = std::fopen(path.c_str(), "w+b");
  ForkCopier volumeForks = [&v](ConstBytes extents, std::FILE* f, std::uint32_t id, std::uint32_t n,
                                std::uint8_t fork) {
    return CopyForkToFile(v.ctx, extents, f, id, n, fork).status == ForkCopyStatus::kComplete;
  };
  ASSERT_TRUE(WriteMacBinary(out, record->key.name, record->data, volumeForks));
  MacBinaryInfo info;
  ASSERT_EQ(ReadMacBinaryHeader(out, info), MacBinaryCheck::kAccepted);
  std::fclose(out);

  EXPECT_EQ(info.name, "Two Forks");
  EXPECT_EQ(info.type + info.creator, "APPLTEST");
  EXPECT_EQ(info.creationDate, CreationDate(*record));
  EXPECT_EQ(info.modificationDate, ModificationDate(*record));
  EXPECT_EQ(info.resourceOffset, 128u + 1408u);
  std::vector<std::uint8_t> expected(128 + 1408, 0);
  std::copy(data.begin(), data.end(), expected.begin() + 128);
  expected.insert(expected.end(), rsrc.begin(), rsrc.end());
  const auto written = testing::ReadWholeFile(path);
  ASSERT_EQ(written.size(), expected.size());
  EXPECT_TRUE(std::equal(written.begin() + 128, written.end(), expected.begin() + 128));
}

}  // namespace
}  // namespace tarvo
