// tarvo-cli on damaged images: browsing (DIR, CD into a folder and back,
// INFO) a copy of a sound hfsutils volume with one kind of damage ends by
// itself in time, with exit code 0 or 1 and no sanitizer report, telling
// what is wrong on standard error; damage that does not hurt the listing
// leaves it whole. Each write (MD, RENAME, MCOPY, DELETE) after the volume
// check either refuses, leaving the image as it was, or writes without adding
// to the check's findings. The sound volumes take every write.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <random>
#include <stdexcept>

#include "base/big_endian.h"
#include "base/messages.h"
#include "support/cli_listing.h"
#include "support/cli_process.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

using namespace tarvo::testing;

constexpr int kRootRows = 41;  // 40 files and the folder Sub

// A volume image in memory with the places of its structures.
struct Image {
  std::vector<std::uint8_t> bytes;
  std::size_t origin = 0;  // byte offset of the volume

  std::size_t Mdb() const { return origin + 1024; }
  std::size_t Node(std::uint32_t n) const {
    const std::size_t catalog = origin + std::size_t{GetU16(bytes, Mdb() + 0x1C)} * 512 +
                                std::size_t{GetU16(bytes, Mdb() + 0x96)} * GetU32(bytes, Mdb() + 0x14);
    return catalog + std::size_t{n} * 512;
  }
  std::size_t Header() const { return Node(0); }
  std::size_t ExtentsHeader() const {
    return origin + std::size_t{GetU16(bytes, Mdb() + 0x1C)} * 512 +
           std::size_t{GetU16(bytes, Mdb() + 0x86)} * GetU32(bytes, Mdb() + 0x14);
  }
  std::uint32_t Root() const { return GetU32(bytes, Header() + 16); }
  std::uint32_t FirstLeaf() const { return GetU32(bytes, Header() + 24); }
  std::uint32_t ForwardLink(std::uint32_t n) const { return GetU32(bytes, Node(n)); }
  std::uint16_t RecordCount(std::uint32_t n) const { return GetU16(bytes, Node(n) + 10); }
  std::size_t OffsetSlot(std::uint32_t n, std::size_t i) const { return Node(n) + 510 - 2 * i; }
  std::size_t Record(std::uint32_t n, std::size_t i) const { return Node(n) + GetU16(bytes, OffsetSlot(n, i)); }
  std::size_t RecordData(std::uint32_t n, std::size_t i) const {
    return Record(n, i) + ((bytes[Record(n, i)] + 2u) & ~1u);
  }
  // The data of the leaf record with this parent and name (sound trees only).
  std::size_t LeafRecordData(std::uint32_t parentId, const std::string& name) const {
    for (std::uint32_t n = FirstLeaf(); n != 0; n = ForwardLink(n)) {
      for (std::size_t i = 0; i < RecordCount(n); ++i) {
        const std::size_t r = Record(n, i);
        if (GetU32(bytes, r + 2) == parentId && std::string(bytes.begin() + r + 7, bytes.begin() + r + 7 + bytes[r + 6]) == name)
          return RecordData(n, i);
      }
    }
    throw std::runtime_error("no record " + name);
  }
  void SetChildren(std::uint32_t n, std::uint32_t child) {
    for (std::size_t i = 0; i < RecordCount(n); ++i) PutU32(bytes, RecordData(n, i), child);
  }
  void Randomize(std::size_t at, std::size_t count) {
    std::mt19937 random(at);
    for (std::size_t i = at; i < at + count; ++i) bytes[i] = static_cast<std::uint8_t>(random());
  }
};

constexpr std::size_t kFileExtents = 74;  // a file record's data fork extents
constexpr std::size_t kDrVBMSt = 0x0E;
constexpr std::size_t kDrAlBlSt = 0x1C;

enum class Base { kBare, kMapped };

struct Damage {
  std::string name;
  Base base;
  std::function<void(Image&)> apply;
  std::string message;  // expected on standard error; "" when the listing stays whole
};

void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.name; }

const std::string kNotMac = "This is not a Macintosh volume.";
const std::string kDamaged = "The catalog is damaged.";

const std::vector<Damage>& Damages() {
  static const std::vector<Damage> damages = {
      {"SoundBare", Base::kBare, [](Image&) {}, ""},
      {"SoundMapped", Base::kMapped, [](Image&) {}, ""},
      // The volume header.
      {"MdbSignature", Base::kBare, [](Image& m) { m.bytes[m.Mdb()] = 'X'; }, kNotMac},
      {"AllocationBlockSizeZero", Base::kBare, [](Image& m) { PutU32(m.bytes, m.Mdb() + 0x14, 0); }, kNotMac},
      {"CatalogExtentEmpty", Base::kBare, [](Image& m) { PutU16(m.bytes, m.Mdb() + 0x98, 0); }, kNotMac},
      {"CatalogSizeZero", Base::kBare, [](Image& m) { PutU32(m.bytes, m.Mdb() + 0x92, 0); },
       "Error reading data."},
      {"CatalogExtentOffMedium", Base::kBare, [](Image& m) { PutU16(m.bytes, m.Mdb() + 0x96, 60000); }, kDamaged},
      // The allocation area starts past the medium: nothing of the catalog can be read.
      {"FirstBlockSectorHuge", Base::kBare, [](Image& m) { PutU16(m.bytes, m.Mdb() + 0x1C, 0xFFFF); },
       "Error reading data."},
      // A 4 GB catalog in three extents of 65535 blocks of 65024 bytes.
      {"CatalogClaims4GB", Base::kBare,
       [](Image& m) {
         PutU32(m.bytes, m.Mdb() + 0x92, 0xFFFFFFFF);
         PutU32(m.bytes, m.Mdb() + 0x14, 0xFE00);
         for (std::size_t i = 0; i < 3; ++i) {
           PutU16(m.bytes, m.Mdb() + 0x96 + 4 * i, static_cast<std::uint16_t>(1 + i));
           PutU16(m.bytes, m.Mdb() + 0x98 + 4 * i, 0xFFFF);
         }
       },
       kDamaged},
      {"BitmapShorterThanVolume", Base::kBare,
       [](Image& m) { PutU16(m.bytes, m.Mdb() + kDrVBMSt, GetU16(m.bytes, m.Mdb() + kDrAlBlSt) - 1); }, ""},
      // The trees' header nodes.
      {"CatalogHeaderZeroed", Base::kBare, [](Image& m) { std::fill_n(m.bytes.begin() + m.Header(), 512, 0); },
       kDamaged},
      {"CatalogHeaderRandom", Base::kBare, [](Image& m) { m.Randomize(m.Header(), 512); }, kDamaged},
      {"ExtentsHeaderZeroed", Base::kBare,
       [](Image& m) { std::fill_n(m.bytes.begin() + m.ExtentsHeader(), 512, 0); }, ""},
      {"ExtentsHeaderRandom", Base::kMapped, [](Image& m) { m.Randomize(m.ExtentsHeader(), 512); }, ""},
      // The catalog header node.
      {"RootPastEnd", Base::kBare, [](Image& m) { PutU32(m.bytes, m.Header() + 16, 0xFFFFFFFF); }, kDamaged},
      {"RootZero", Base::kBare, [](Image& m) { PutU32(m.bytes, m.Header() + 16, 0); }, kDamaged},
      {"AbsurdHeaderCounts", Base::kBare,
       [](Image& m) {
         PutU16(m.bytes, m.Header() + 14, 0xFFFF);      // bthDepth
         PutU32(m.bytes, m.Header() + 20, 0xFFFFFFFF);  // bthNRecs
         PutU32(m.bytes, m.Header() + 24, 100000);      // bthFNode
         PutU32(m.bytes, m.Header() + 36, 0xFFFFFFFF);  // bthNNodes
         PutU32(m.bytes, m.Header() + 40, 0xFFFFFFFF);  // bthFree
       },
       ""},
      // Nodes and records.
      {"IndexRecordCountHuge", Base::kBare, [](Image& m) { PutU16(m.bytes, m.Node(m.Root()) + 10, 0xFFFF); }, kDamaged},
      {"LeafRecordCountHuge", Base::kBare, [](Image& m) { PutU16(m.bytes, m.Node(m.FirstLeaf()) + 10, 0xFFFF); },
       kDamaged},
      {"RecordOffsetPastNode", Base::kBare, [](Image& m) { PutU16(m.bytes, m.OffsetSlot(m.FirstLeaf(), 1), 600); },
       kDamaged},
      {"RecordOffsetOdd", Base::kBare,
       [](Image& m) {
         const std::size_t slot = m.OffsetSlot(m.FirstLeaf(), 1);
         PutU16(m.bytes, slot, static_cast<std::uint16_t>(GetU16(m.bytes, slot) + 1));
       },
       kDamaged},
      {"RecordOffsetInOffsetTable", Base::kBare, [](Image& m) { PutU16(m.bytes, m.OffsetSlot(m.FirstLeaf(), 1), 506); },
       kDamaged},
      {"LeafKeyLengthOverruns", Base::kBare,
       [](Image& m) {
         for (std::size_t i = 0; i < m.RecordCount(m.FirstLeaf()); ++i) m.bytes[m.Record(m.FirstLeaf(), i)] = 255;
       },
       kDamaged},
      {"IndexKeyLengthOverruns", Base::kBare, [](Image& m) { m.bytes[m.Record(m.Root(), 0)] = 255; }, kDamaged},
      {"NameLengthOverrunsKey", Base::kBare, [](Image& m) { m.bytes[m.Record(m.FirstLeaf(), 2) + 6] = 200; },
       kDamaged},
      {"UnknownRecordType", Base::kBare,
       [](Image& m) {
         for (std::size_t i = 0; i < m.RecordCount(m.FirstLeaf()); ++i) m.bytes[m.RecordData(m.FirstLeaf(), i)] = 9;
       },
       kDamaged},
      {"ForwardLinkToItself", Base::kBare, [](Image& m) { PutU32(m.bytes, m.Node(m.FirstLeaf()), m.FirstLeaf()); },
       kDamaged},
      {"ForwardLinkCycle", Base::kBare,
       [](Image& m) {
         const std::uint32_t third = m.ForwardLink(m.ForwardLink(m.FirstLeaf()));
         PutU32(m.bytes, m.Node(third), m.FirstLeaf());
       },
       kDamaged},
      {"ForwardLinkPastEnd", Base::kBare, [](Image& m) { PutU32(m.bytes, m.Node(m.FirstLeaf()), 0x7FFFFFFF); },
       kDamaged},
      {"ChildPastEnd", Base::kBare, [](Image& m) { m.SetChildren(m.Root(), 0xFFFFFFFF); }, kDamaged},
      {"ChildIsItsOwnParent", Base::kBare, [](Image& m) { m.SetChildren(m.Root(), m.Root()); }, kDamaged},
      {"ExtentsOverlap", Base::kBare,
       [](Image& m) {
         const std::size_t other = m.LeafRecordData(2, "File 121") + kFileExtents;
         std::copy_n(m.bytes.begin() + other, 4, m.bytes.begin() + m.LeafRecordData(2, "File 120") + kFileExtents);
       },
       ""},
      {"FolderValence65535", Base::kBare, [](Image& m) { PutU16(m.bytes, m.LeafRecordData(2, "Sub") + 4, 0xFFFF); },
       ""},
      // The partition map.
      {"DescriptorSignature", Base::kMapped, [](Image& m) { m.bytes[1] = 'X'; }, kNotMac},
      {"DescriptorBlockSize2048", Base::kMapped, [](Image& m) { PutU16(m.bytes, 2, 2048); }, kNotMac},
      {"DescriptorBlockSizeZero", Base::kMapped, [](Image& m) { PutU16(m.bytes, 2, 0); }, kNotMac},
      {"DescriptorBlockCountHuge", Base::kMapped, [](Image& m) { PutU32(m.bytes, 4, 0xFFFFFFFF); }, ""},
      {"MapSignature", Base::kMapped, [](Image& m) { m.bytes[512] = 'X'; }, kNotMac},
      {"MapEntryCountHuge", Base::kMapped,
       [](Image& m) {
         for (std::size_t entry = 1; entry <= 4; ++entry) PutU32(m.bytes, 512 * entry + 4, 0xFFFFFFFF);
       },
       ""},
      {"PartitionStartPastMedium", Base::kMapped, [](Image& m) { PutU32(m.bytes, 3 * 512 + 8, 0xFFFFFFF0); }, kNotMac},
      {"PartitionSizeHuge", Base::kMapped,
       [](Image& m) {
         PutU32(m.bytes, 3 * 512 + 12, 0xFFFFFFFF);
         PutU32(m.bytes, 3 * 512 + 84, 0xFFFFFFFF);
       },
       ""},
      {"OldMapStartPastMedium", Base::kMapped,
       [](Image& m) {
         m.bytes[512] = 'T';
         m.bytes[513] = 'S';
         PutU32(m.bytes, 514, 0xFFFFFFFF);
       },
       kNotMac},
      // Truncated images.
      {"TruncatedInCatalog", Base::kBare, [](Image& m) { m.bytes.resize(m.Node(m.FirstLeaf() + 1)); }, kDamaged},
      {"TruncatedInHeader", Base::kBare, [](Image& m) { m.bytes.resize(1500); }, kNotMac},
      {"TruncatedToNothing", Base::kBare, [](Image& m) { m.bytes.clear(); }, "too small"},
      {"TruncatedInFileArea", Base::kBare, [](Image& m) { m.bytes.resize(m.bytes.size() / 2); }, kTextVolumePastMedium},
      {"TruncatedPartition", Base::kMapped, [](Image& m) { m.bytes.resize(m.Node(m.FirstLeaf())); }, kDamaged},
  };
  return damages;
}

class DamagedImageTest : public ::testing::TestWithParam<Damage> {
 protected:
  static void SetUpTestSuite() {
    dir_ = new ScratchDir;
    std::filesystem::create_directory(dir_->Path("pc"));
    WriteWholeFile(dir_->Path("pc/small.txt"), std::vector<std::uint8_t>{'s', 'm', 'a', 'l', 'l'});
    const std::string home = dir_->Path("");
    const std::string file = dir_->Path("file");
    WriteWholeFile(file, std::vector<std::uint8_t>{'x'});
    std::string copies = "hcopy -r";
    for (int i = 0; i < kRootRows - 1; ++i) {
      const std::string name = dir_->Path("File " + std::to_string(100 + i));
      WriteWholeFile(name, std::vector<std::uint8_t>(static_cast<std::size_t>(i), 'f'));
      copies += " " + ShellQuote(name);
    }
    const std::vector<std::string> commands = {"hmkdir :Sub", copies + " :", "hcopy -r " + ShellQuote(file) + " :Sub:Inner"};
    const bool built = MakeHfsVolume(home, dir_->Path("bare.img"), "Bare", 4096) &&
                       RunHfsutils(home, dir_->Path("bare.img"), commands) &&
                       MakeMappedHfsVolume(home, dir_->Path("mapped.img"), "Mapped", 4096) &&
                       RunHfsutils(home, dir_->Path("mapped.img"), commands);
    if (built) {
      bare_ = new Image{ReadWholeFile(dir_->Path("bare.img")), 0};
      mapped_ = new Image{ReadWholeFile(dir_->Path("mapped.img")), std::size_t{kMappedPartitionStart} * 512};
    }
  }
  static void TearDownTestSuite() {
    delete dir_;
    delete bare_;
    delete mapped_;
  }

  static ScratchDir* dir_;
  static Image* bare_;
  static Image* mapped_;
  ScratchDir temp_;
};

ScratchDir* DamagedImageTest::dir_ = nullptr;
Image* DamagedImageTest::bare_ = nullptr;
Image* DamagedImageTest::mapped_ = nullptr;

// The check's findings printed by --check; none for a sound volume.
std::vector<std::string> Findings(const std::string& out) {
  std::vector<std::string> lines;
  for (std::size_t at = 0, end; (end = out.find('\n', at)) != std::string::npos; at = end + 1) {
    const std::string line = out.substr(at, end - at);
    if (line != "Volume check: no problems found.") lines.push_back(line);
  }
  return lines;
}

TEST_P(DamagedImageTest, BrowsingEndsWithAMessageAndWritesRefuseOrKeepTheFindings) {
  ASSERT_TRUE(bare_ != nullptr && mapped_ != nullptr);
  const Damage& damage = GetParam();
  ASSERT_GE(GetU16(bare_->bytes, bare_->Header() + 14), 2);  // index nodes above the leaves
  Image image = damage.base == Base::kMapped ? *mapped_ : *bare_;
  damage.apply(image);
  const std::string copy = temp_.Path("damaged.img");
  WriteWholeFile(copy, image.bytes);
  const auto ended = [](const CliResult& run) {
    return ::testing::Message() << "exit " << run.exitCode << ", signal " << run.signal << "\n" << run.err;
  };

  const CliResult run = RunTarvoCli(
      {"--image", copy + ",ro", "-c", "DIR /A", "-c", "CD Sub", "-c", "DIR /A", "-c", "CD ..", "-c", "DIR /A", "-c", "INFO"},
      "", temp_.Path(""));
  EXPECT_FALSE(run.timedOut);
  EXPECT_TRUE(run.EndedCleanly()) << ended(run);
  if (damage.message.empty()) {
    EXPECT_EQ(run.err, "");
    const std::vector<Listing> listings = ParseListings(run.out);
    ASSERT_EQ(listings.size(), 3u) << run.out;
    EXPECT_EQ(listings[0].rows.size(), static_cast<std::size_t>(kRootRows));
    EXPECT_EQ(listings[1].rows.size(), 1u);
    EXPECT_EQ(listings[2].rows.size(), static_cast<std::size_t>(kRootRows));
  } else {
    EXPECT_NE(run.err.find(damage.message), std::string::npos) << run.err;
  }

  const std::string refusal = std::string(kTextWriteOnDamage).substr(0, std::string(kTextWriteOnDamage).find(':'));
  const bool sound = damage.name.rfind("Sound", 0) == 0;
  for (const std::string write :
       {"MD Fresh", "RENAME \"File 105\" Renamed", "MCOPY small.txt", "DELETE \"File 110\""}) {
    SCOPED_TRACE(write);
    WriteWholeFile(copy, image.bytes);
    CliRun request;
    request.args = {"--image", copy, "--check", "-c", write};
    request.tempDir = temp_.Path("");
    request.workDir = dir_->Path("pc");
    const CliResult written = RunTarvoCli(request);
    ASSERT_TRUE(written.EndedCleanly()) << ended(written);
    if (written.err.find(refusal) != std::string::npos) {
      EXPECT_FALSE(sound) << written.err;
      const bool unchanged = std::filesystem::file_size(copy) == image.bytes.size() &&
                             ReadFileRange(copy, 0, image.bytes.size()) == image.bytes;
      EXPECT_TRUE(unchanged) << "a refused write changed the image";
      continue;
    }
    const CliResult after = RunTarvoCli({"--image", copy + ",ro", "--check"}, "", temp_.Path(""));
    EXPECT_LE(Findings(after.out).size(), Findings(written.out).size())
        << "before:\n" << written.out << "after:\n" << after.out;
    if (sound) {
      EXPECT_EQ(after.out, "Volume check: no problems found.\n") << written.err;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Damages, DamagedImageTest, ::testing::ValuesIn(Damages()),
                         [](const ::testing::TestParamInfo<Damage>& info) { return info.param.name; });

}  // namespace
}  // namespace tarvo
