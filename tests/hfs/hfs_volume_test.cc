// The read side of the engine on real volumes: built by hfsutils (run as a
// black box) or taken from real Macintosh disks, read through the image
// bus and the sector layer.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "base/big_endian.h"
#include "hfs/bitmap.h"
#include "hfs/btree.h"
#include "hfs/catalog_record.h"
#include "hfs/catalog_search.h"
#include "hfs/extent_search.h"
#include "hfs/name_order.h"
#include "hfs/navigation.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

using testing::MacBinaryFile;
using testing::MountedVolume;
using testing::ReadFileRange;
using testing::ReadWholeFile;
using testing::RunHfsutils;
using testing::ScratchDir;
using testing::ShellQuote;
using testing::WriteWholeFile;

std::vector<std::uint8_t> Pattern(std::size_t n, int seed) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 31 + seed + i / 251);
  return bytes;
}

std::optional<CatalogRecord> Find(MountedVolume& v, std::string_view pattern, int type, std::uint32_t parent) {
  const FoundRecord found = FindCatalogRecord(v.ctx.volume.catalog, pattern, type, parent);
  return found ? ReadCatalogRecord(found.record) : std::nullopt;
}

// The fork copied to a PC file, read back.
std::vector<std::uint8_t> CopyFork(MountedVolume& v, ScratchDir& dir, const CatalogRecord& file, std::uint8_t fork,
                                   ForkCopy* result = nullptr) {
  const std::string path = dir.Path("fork.out");
  std::FILE* out = std::fopen(path.c_str(), "wb");
  const bool data = fork == kDataFork;
  const ForkCopy copy = CopyForkToFile(v.ctx, data ? DataExtents(file) : ResourceExtents(file), out, FileId(file),
                                       data ? DataLogicalLength(file) : ResourceLogicalLength(file), fork);
  std::fclose(out);
  if (result != nullptr) *result = copy;
  return ReadWholeFile(path);
}

std::string Sha256(const std::vector<std::uint8_t>& bytes) {
  ScratchDir dir;
  const std::string path = dir.Path("hash.in");
  WriteWholeFile(path, bytes);
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(("sha256sum " + ShellQuote(path)).c_str(), "r"), pclose);
  char hash[65] = {};
  if (!pipe || std::fread(hash, 1, 64, pipe.get()) != 64) return "";
  return hash;
}

// One 40 MB volume (1024-byte allocation blocks) for the whole suite:
//   :Sub:a.txt            TEXT/ttxt, data "hello"
//   :Both                 APPL/TEST, data 1000 bytes, resource 3000 bytes
//   :Odd                  data 1500 bytes (ends inside a block)
//   :Big:                 45 files;  :Many: 300 files f000..f299
//   :\x80rger:            a folder;  :Caf\x8e  a file (Mac Roman names)
class HfsVolumeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = new ScratchDir;
    image_ = scratch_->Path("volume.img");
    const std::string home = scratch_->Path("");
    ASSERT_TRUE(testing::MakeHfsVolume(home, image_, "Test Vol", 40 * 1024));
    WriteWholeFile(scratch_->Path("a.txt"), std::vector<std::uint8_t>{'h', 'e', 'l', 'l', 'o'});
    WriteWholeFile(scratch_->Path("both.bin"), MacBinaryFile("Both", "APPL", "TEST", Pattern(1000, 1), Pattern(3000, 2)));
    WriteWholeFile(scratch_->Path("Odd"), Pattern(1500, 3));
    std::string big = "hcopy -r", many = "hcopy -r";
    for (int i = 0; i < 300; ++i) {
      char name[8];
      std::snprintf(name, sizeof name, "f%03d", i);
      WriteWholeFile(scratch_->Path(name), std::vector<std::uint8_t>(name, name + 4));
      many += " " + ShellQuote(scratch_->Path(name));
      if (i < 45) big += " " + ShellQuote(scratch_->Path(name));
    }
    ASSERT_TRUE(RunHfsutils(home, image_,
                            {"hmkdir :Sub", "hmkdir :Big", "hmkdir :Many", "hmkdir " + ShellQuote(":\x80rger"),
                             "hcopy -r " + ShellQuote(scratch_->Path("a.txt")) + " :Sub:a.txt",
                             "hattrib -t TEXT -c ttxt :Sub:a.txt",
                             "hcopy -m " + ShellQuote(scratch_->Path("both.bin")) + " :Both",
                             "hcopy -r " + ShellQuote(scratch_->Path("Odd")) + " :Odd",
                             "hcopy -r " + ShellQuote(scratch_->Path("a.txt")) + " " + ShellQuote(":Caf\x8e"),
                             big + " :Big:", many + " :Many:"}));
  }
  static void TearDownTestSuite() { delete scratch_; }

  void SetUp() override {
    v_ = std::make_unique<MountedVolume>(image_);
    ASSERT_EQ(v_->attachError, "");
    ASSERT_GT(v_->Mount(), 0);
  }

  static ScratchDir* scratch_;
  static std::string image_;
  std::unique_ptr<MountedVolume> v_;
  ScratchDir out_;
};

ScratchDir* HfsVolumeTest::scratch_ = nullptr;
std::string HfsVolumeTest::image_;

TEST_F(HfsVolumeTest, MountReadsTheGeometryAndEntersTheRoot) {
  const VolumeState& vol = v_->ctx.volume;
  EXPECT_EQ(vol.mdbSector, 2u);
  EXPECT_EQ(vol.allocBlockSize, 1024u);
  EXPECT_EQ(vol.sectorsPerBlock, 2u);
  EXPECT_EQ(vol.volumeOrigin, std::int64_t{GetU16(vol.mdb, mdb::drAlBlSt)});
  EXPECT_EQ(vol.current.currentDirId, kRootDirId);
  EXPECT_EQ(vol.current.currentDirName, "Root  ");
  EXPECT_EQ(RootDirectory(v_->ctx), std::optional<std::uint16_t>(7));
  EXPECT_NE(vol.catalog.handle, nullptr);
}

TEST_F(HfsVolumeTest, FindsFilesAndFoldersWithTheirAttributes) {
  std::optional<CatalogRecord> r = Find(*v_, "BOTH", kWantEntry, kRootDirId);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->type, kFileRecord);
  EXPECT_EQ(DataLogicalLength(*r), 1000u);
  EXPECT_EQ(ResourceLogicalLength(*r), 3000u);
  EXPECT_EQ(FileType(*r), "APPL");
  EXPECT_EQ(FileCreator(*r), "TEST");

  r = Find(*v_, "su*", kWantDirectory, kRootDirId);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->key.name, "Sub");
  EXPECT_EQ(Valence(*r), 1);
  r = Find(*v_, "a.TXT", kWantFile, DirectoryId(*r));
  ASSERT_TRUE(r);
  EXPECT_EQ(FileType(*r), "TEXT");
  EXPECT_EQ(FileCreator(*r), "ttxt");
  EXPECT_EQ(DataLogicalLength(*r), 5u);
  EXPECT_EQ(ResourceLogicalLength(*r), 0u);

  EXPECT_FALSE(Find(*v_, "Sub", kWantFile, kRootDirId));
  EXPECT_TRUE(Find(*v_, "\x80RGER", kWantDirectory, kRootDirId));  // case folds above 0x7F too
  r = Find(*v_, "CAF\x83", kWantFile, kRootDirId);                    // E-acute matches e-acute
  ASSERT_TRUE(r);
  EXPECT_EQ(r->key.name, "Caf\x8e");
}

TEST_F(HfsVolumeTest, ADeepCatalogIsSearchedThroughItsIndex) {
  const TreeWorkFile& catalog = v_->ctx.volume.catalog;
  EXPECT_GE(GetU16(catalog.header, header::bthDepth), 2);
  const std::optional<CatalogRecord> many = Find(*v_, "Many", kWantDirectory, kRootDirId);
  ASSERT_TRUE(many);
  const std::uint32_t manyId = DirectoryId(*many);
  for (int i = 0; i < 300; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "F%03d", i);
    ASSERT_TRUE(Find(*v_, name, kWantFile, manyId)) << name;
  }
  EXPECT_FALSE(Find(*v_, "f300", kWantFile, manyId));

  // "f1*" and the leaf chain: exactly f100..f199.
  FoundRecord found = FindCatalogRecord(v_->ctx.volume.catalog, "f1*", kWantEntry, manyId);
  ASSERT_TRUE(found);
  TreeWalk walk = StartWalk(v_->ctx.volume.catalog);
  int matches = 0;
  for (; found; found = NextLeafRecord(v_->ctx.volume.catalog, walk)) {
    const std::optional<CatalogKey> key = ReadCatalogKey(found.record);
    ASSERT_TRUE(key);
    if (key->parentId != manyId) break;
    if (MatchName("f1*", key->name) == 0) ++matches;
  }
  EXPECT_EQ(found.status, SearchStatus::kFound);
  EXPECT_EQ(matches, 100);
}

TEST_F(HfsVolumeTest, NavigationReportsValencesAndLogsMoves) {
  std::FILE* log = std::tmpfile();
  v_->ctx.log.file = log;
  EXPECT_EQ(ChangeDirectory(v_->ctx, "big"), std::optional<std::uint16_t>(45));
  EXPECT_EQ(v_->ctx.volume.current.currentDirName, "Big ");
  EXPECT_EQ(v_->ctx.volume.current.parentDirId, kRootDirId);
  EXPECT_FALSE(ChangeDirectory(v_->ctx, "nothing"));
  EXPECT_EQ(v_->ctx.volume.current.currentDirName, "Big ");  // unchanged
  EXPECT_EQ(ParentDirectory(v_->ctx), std::optional<std::uint16_t>(7));
  EXPECT_EQ(v_->ctx.volume.current.currentDirName, "Root  ");
  EXPECT_FALSE(ParentDirectory(v_->ctx));  // the root has no parent
  EXPECT_EQ(ChangeDirectory(v_->ctx, "Many"), std::optional<std::uint16_t>(300));
  EXPECT_EQ(RootDirectory(v_->ctx), std::optional<std::uint16_t>(7));
  v_->ctx.log.file = nullptr;
  std::rewind(log);
  char text[64] = {};
  std::fread(text, 1, sizeof text - 1, log);
  std::fclose(log);
  EXPECT_STREQ(text, "*cd big\r\n*cd..\n*cd Many\r\n*cd\\\n");
}

TEST_F(HfsVolumeTest, AdjustValenceWritesTheCatalogWorkFile) {
  ASSERT_TRUE(ChangeDirectory(v_->ctx, "Big"));
  EXPECT_EQ(AdjustValence(v_->ctx, +1), std::optional<std::uint16_t>(46));
  ASSERT_TRUE(RootDirectory(v_->ctx));
  EXPECT_EQ(AdjustValence(v_->ctx, -1), std::optional<std::uint16_t>(6));
  EXPECT_EQ(ChangeDirectory(v_->ctx, "Big"), std::optional<std::uint16_t>(46));
  EXPECT_EQ(RootDirectory(v_->ctx), std::optional<std::uint16_t>(6));
}

TEST_F(HfsVolumeTest, CopyForkToFileCopiesContentExactly) {
  const std::optional<CatalogRecord> both = Find(*v_, "Both", kWantFile, kRootDirId);
  ASSERT_TRUE(both);
  ForkCopy copy;
  EXPECT_EQ(CopyFork(*v_, out_, *both, kDataFork, &copy), Pattern(1000, 1));
  EXPECT_EQ(copy.status, ForkCopyStatus::kComplete);
  EXPECT_EQ(copy.copiedBytes, 1000u);
  EXPECT_EQ(CopyFork(*v_, out_, *both, kResourceFork), Pattern(3000, 2));
  const std::optional<CatalogRecord> odd = Find(*v_, "Odd", kWantFile, kRootDirId);
  ASSERT_TRUE(odd);
  EXPECT_EQ(CopyFork(*v_, out_, *odd, kDataFork), Pattern(1500, 3));
}

TEST_F(HfsVolumeTest, AForkBeyondItsExtentsStopsWithAReport) {
  const std::optional<CatalogRecord> both = Find(*v_, "Both", kWantFile, kRootDirId);
  ASSERT_TRUE(both);
  std::uint8_t oneBlock[12] = {};
  PutU16(oneBlock, 0, GetU16(DataExtents(*both), 0));
  PutU16(oneBlock, 2, 1);
  std::FILE* out = std::tmpfile();
  const ForkCopy copy = CopyForkToFile(v_->ctx, oneBlock, out, FileId(*both), 5000, kDataFork);
  std::fclose(out);
  EXPECT_EQ(copy.status, ForkCopyStatus::kExtentsMissing);
  EXPECT_EQ(copy.copiedBytes, 1024u);
  EXPECT_NE(v_->ctx.volume.extents.handle, nullptr);  // opened for the lookup
}

// The work files have no name in the temporary folder from the moment
// they are open, so a program killed while mounted leaves none there.
TEST_F(HfsVolumeTest, WorkFilesLeaveNothingInTheTemporaryFolder) {
  ScratchDir temp;
  const char* saved = std::getenv("TMPDIR");
  const std::string restore = saved != nullptr ? saved : "";
  ::setenv("TMPDIR", temp.Path("").c_str(), 1);
  const std::optional<CatalogRecord> both = Find(*v_, "Both", kWantFile, kRootDirId);
  ASSERT_TRUE(both);
  EXPECT_EQ(OpenCatalogWorkFile(v_->ctx), 1);
  ASSERT_NE(FindExtentRecord(v_->ctx, 99, 0, kDataFork).status, SearchStatus::kDamaged);
  EXPECT_NE(v_->ctx.volume.extents.handle, nullptr);
  EXPECT_TRUE(std::filesystem::is_empty(temp.Path("")));
  EXPECT_EQ(OpenCatalogWorkFile(v_->ctx), 1);
  EXPECT_EQ(v_->ctx.volume.extents.handle, nullptr);
  EXPECT_TRUE(Find(*v_, "Both", kWantFile, kRootDirId));
  if (saved != nullptr) {
    ::setenv("TMPDIR", restore.c_str(), 1);
  } else {
    ::unsetenv("TMPDIR");
  }
}

TEST(HfsFixtureTest, FragmentedCatalogOfARealInstallerDisk) {
  ScratchDir dir;
  const std::string image = dir.Path("installer.dsk");
  WriteWholeFile(image, ReadFileRange(TARVO_FIXTURES_DIR "/ara-installer-disk1-dc42.image", 84, 819200));
  MountedVolume v(image);
  ASSERT_GT(v.Mount(), 0);
  const std::array<std::uint8_t, 512>& m = v.ctx.volume.mdb;
  EXPECT_EQ(GetU16(m, mdb::drCTExtRec), 12);
  EXPECT_EQ(GetU16(m, mdb::drCTExtRec + 4), 404);
  EXPECT_EQ(GetU32(v.ctx.volume.catalog.header, header::bthRoot), 15u);
  EXPECT_EQ(GetU32(v.ctx.volume.catalog.header, header::bthNRecs), 37u);

  std::optional<CatalogRecord> readMe = Find(v, "Read Me", kWantFile, kRootDirId);
  ASSERT_TRUE(readMe);
  EXPECT_EQ(FileId(*readMe), 49u);
  EXPECT_EQ(FileType(*readMe), "ttro");
  EXPECT_EQ(Sha256(CopyFork(v, dir, *readMe, kDataFork)),
            "634bb552dafe25b65077395d65182f81f067bf194067290207ed7b993c62b6ce");
  EXPECT_EQ(Sha256(CopyFork(v, dir, *readMe, kResourceFork)),
            "8b5805c07ef42e65ff8b92aeab83f38193a010df0e306d82a0f881811883f3a9");
  const std::optional<CatalogRecord> installer = Find(v, "Installer", kWantFile, kRootDirId);
  ASSERT_TRUE(installer);
  EXPECT_EQ(Sha256(CopyFork(v, dir, *installer, kResourceFork)),
            "09a62f1cd8d3d8333fbe7badfd905a0dbe6ad58b3fb14461d62af6fdb9495f65");

  EXPECT_EQ(ChangeDirectory(v.ctx, "Dial Up"), std::optional<std::uint16_t>(23));
  const std::optional<CatalogRecord> modem = Find(v, "Apple Modem 2400", kWantFile, v.ctx.volume.current.currentDirId);
  ASSERT_TRUE(modem);
  EXPECT_EQ(Sha256(CopyFork(v, dir, *modem, kDataFork)),
            "716e1e7badabd650da333cda19dc41019a81ab1f484bec403c11c0911ab6c76f");
}

TEST(HfsFixtureTest, TwoSectorBitmapAndThreeLevelTree) {
  ScratchDir dir;
  const std::string image = TARVO_FIXTURES_DIR "/excel30-folder-nested.img";
  MountedVolume v(image);
  ASSERT_GT(v.Mount(), 0);
  EXPECT_EQ(v.ctx.volume.volumeOrigin, 5);
  EXPECT_EQ(v.ctx.volume.bitmapSectors, 2);
  EXPECT_EQ(GetU16(v.ctx.volume.catalog.header, header::bthDepth), 3);
  ASSERT_EQ(LoadBitmap(v.ctx), 0);
  const std::vector<std::uint8_t> bitmap = ReadFileRange(image, 3 * 512, 1024);
  EXPECT_TRUE(std::equal(bitmap.begin(), bitmap.end(), v.ctx.volume.bitmap.begin()));
  EXPECT_EQ(v.ctx.volume.bitmap.size(), 3u * 512);

  EXPECT_EQ(ChangeDirectory(v.ctx, "Macro Library"), std::optional<std::uint16_t>(29));
  EXPECT_EQ(ChangeDirectory(v.ctx, "Custom Color Palettes"), std::optional<std::uint16_t>(16));
  const std::optional<CatalogRecord> autumn = Find(v, "autumn", kWantFile, v.ctx.volume.current.currentDirId);
  ASSERT_TRUE(autumn);
  EXPECT_EQ(FileId(*autumn), 34u);
  EXPECT_EQ(ParentDirectory(v.ctx), std::optional<std::uint16_t>(29));
  EXPECT_EQ(v.ctx.volume.current.currentDirName, "Macro Library ");
  EXPECT_EQ(ParentDirectory(v.ctx), std::optional<std::uint16_t>(GetU16(v.ctx.volume.mdb, mdb::drNmFls) +
                                                                 GetU16(v.ctx.volume.mdb, mdb::drNmRtDirs)));

  const std::optional<CatalogRecord> excel = Find(v, "Microsoft Excel", kWantFile, kRootDirId);
  ASSERT_TRUE(excel);
  EXPECT_EQ(Sha256(CopyFork(v, dir, *excel, kResourceFork)),
            "fff2c9e89fe91a0f69bb8111e7d03b0b284df74d2a966cebc108764ca894732d");
}

TEST_F(HfsVolumeTest, HeaderIsWrittenToBothCopiesButNeverIntoTheVolume) {
  const std::string copy = out_.Path("copy.img");
  std::filesystem::copy_file(image_, copy);
  MountedVolume v(copy, false);
  ASSERT_GT(v.Mount(), 0);
  PutU32(v.ctx.volume.mdb, mdb::drFilCnt, 0x12345678);
  ASSERT_EQ(WriteVolumeHeader(v.ctx), 0);
  const std::uint32_t last = v.ctx.volume.deviceSectors;
  EXPECT_EQ(GetU32(ReadFileRange(copy, 2 * 512, 512), mdb::drFilCnt), 0x12345678u);
  EXPECT_EQ(GetU32(ReadFileRange(copy, std::uint64_t{last - 2} * 512, 512), mdb::drFilCnt), 0x12345678u);

  // A device size that would put the alternate inside the allocation area.
  PutU32(v.ctx.volume.mdb, mdb::drFilCnt, 0x0BADF00D);
  v.ctx.volume.deviceSectors = 1000;
  ASSERT_EQ(WriteVolumeHeader(v.ctx), 0);
  EXPECT_NE(GetU32(ReadFileRange(copy, 998 * 512, 512), mdb::drFilCnt), 0x0BADF00Du);
}

TEST(HfsFixtureTest, NoHeaderMeansNoVolume) {
  ScratchDir dir;
  const std::string image = dir.Path("blank.img");
  WriteWholeFile(image, std::vector<std::uint8_t>(64 * 512));
  {
    MountedVolume v(image);
    EXPECT_EQ(v.Mount(), 0);
    EXPECT_EQ(v.ctx.volume.catalog.handle, nullptr);
  }
  // An MS-DOS boot sector gives the probe's negative verdict.
  std::vector<std::uint8_t> bytes(64 * 512);
  bytes[0] = 0xEB;
  bytes[510] = 0x55;
  bytes[511] = 0xAA;
  WriteWholeFile(image, bytes);
  MountedVolume dos(image);
  EXPECT_LT(dos.Mount(), 0);
  EXPECT_LT(dos.ctx.volume.volumeOrigin, 0);
}

TEST(HfsFixtureTest, AHeaderWithAnEmptyCatalogExtentIsNoHeader) {
  ScratchDir dir;
  const std::string image = dir.Path("gsos.dsk");
  std::vector<std::uint8_t> bytes = ReadWholeFile(TARVO_FIXTURES_DIR "/gsos-simple-800k.dsk");
  {
    MountedVolume v(TARVO_FIXTURES_DIR "/gsos-simple-800k.dsk");
    ASSERT_GT(v.Mount(), 0);
    EXPECT_EQ(ChangeDirectory(v.ctx, "SIZES"), std::optional<std::uint16_t>(9));
  }
  PutU16(bytes, 1024 + mdb::drCTExtRec + 2, 0);
  WriteWholeFile(image, bytes);
  MountedVolume v(image);
  EXPECT_EQ(v.Mount(), 0);
}

}  // namespace
}  // namespace tarvo
