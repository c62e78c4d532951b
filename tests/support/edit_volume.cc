#include "support/edit_volume.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "hfs/btree.h"
#include "hfs/catalog_record.h"
#include "hfs/volume_header.h"
#include "hfs/work_file.h"
#include "support/hfs_check.h"

namespace tarvo::testing {

namespace {

std::uint32_t Big32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 | std::uint32_t{b[at + 2]} << 8 | b[at + 3];
}

}  // namespace

EditVolume::EditVolume(int kilobytes, const std::string& label) : image_(dir_.Path("volume.img")) {
  EXPECT_TRUE(MakeHfsVolume(dir_.Path(""), image_, label, kilobytes));
  Remount();
}

void EditVolume::Remount(bool readOnly) {
  volume_.reset();
  volume_ = std::make_unique<MountedVolume>(image_, readOnly);
  EXPECT_EQ(volume_->attachError, "");
  EXPECT_GT(volume_->Mount(), 0);
}

std::vector<std::string> EditVolume::Problems() {
  std::vector<std::string> problems = CheckCatalogTree(ctx().volume.catalog);
  for (const std::string& p : CheckAllocation(ctx())) problems.push_back(p);

  // Counts from the leaves.
  TreeWorkFile& tree = ctx().volume.catalog;
  std::map<std::uint32_t, int> entries, filesIn, foldersIn;  // by parent ID
  std::map<std::uint32_t, std::uint16_t> valence;  // folder ID -> its valence
  std::uint32_t files = 0, folders = 0, maxId = 0;
  NodeBuffer node{};
  int leaves = 0;
  for (std::uint32_t n = GetU32(tree.header, header::bthFNode); n != 0 && ++leaves < 100000;
       n = GetU32(node, node::ndFLink)) {
    if (!ReadNodeInto(tree, n, node)) break;
    for (std::size_t i = 0; i < NodeRecordCount(node); ++i) {
      const std::optional<Bytes> raw = RecordAt(node, i);
      const std::optional<CatalogRecord> r = raw ? ReadCatalogRecord(*raw) : std::nullopt;
      if (!r) continue;
      if (r->type == kFileRecord) {
        ++files, ++entries[r->key.parentId], ++filesIn[r->key.parentId];
        maxId = std::max(maxId, FileId(*r));
      } else if (r->type == kDirectoryRecord) {
        ++folders, ++entries[r->key.parentId], ++foldersIn[r->key.parentId];
        valence[DirectoryId(*r)] = Valence(*r);
        maxId = std::max(maxId, DirectoryId(*r));
      }
    }
  }
  for (const auto& [id, count] : valence) {
    if (entries[id] != count) problems.push_back("valence of folder " + std::to_string(id) + " is wrong");
  }
  const auto& m = ctx().volume.mdb;
  if (GetU32(m, mdb::drFilCnt) != files) problems.push_back("drFilCnt differs");
  if (GetU32(m, mdb::drDirCnt) != folders - 1) problems.push_back("drDirCnt differs");  // the root is not counted
  if (GetU16(m, mdb::drNmFls) != filesIn[kRootDirId]) problems.push_back("drNmFls differs");
  if (GetU16(m, mdb::drNmRtDirs) != foldersIn[kRootDirId]) problems.push_back("drNmRtDirs differs");
  if (GetU32(m, mdb::drNxtCNID) <= maxId) problems.push_back("drNxtCNID is not above every ID");
  return problems;
}

std::set<std::string> EditVolume::HfsutilsTree() {
  const std::string copy = dir_.Path("copy.img");
  std::filesystem::copy_file(image_, copy, std::filesystem::copy_options::overwrite_existing);
  const std::string out = dir_.Path("listing.txt");
  EXPECT_TRUE(RunHfsutils(dir_.Path(""), copy, {"hls -1aFR > " + ShellQuote(out)}));
  std::set<std::string> names;
  std::string section = ":", line;
  for (std::uint8_t c : ReadWholeFile(out)) {
    if (c != '\n') {
      line += static_cast<char>(c);
      continue;
    }
    if (line.size() > 1 && line.front() == ':' && line.back() == ':') section = line;
    else if (!line.empty()) names.insert(section + line);
    line.clear();
  }
  return names;
}

ExtractedFile EditVolume::HfsutilsFile(const std::string& macPath) {
  const std::string copy = dir_.Path("copy.img");
  std::filesystem::copy_file(image_, copy, std::filesystem::copy_options::overwrite_existing);
  const std::string out = dir_.Path("out.bin");
  std::filesystem::remove(out);
  ExtractedFile file;
  if (!RunHfsutils(dir_.Path(""), copy, {"hcopy -m " + ShellQuote(macPath) + " " + ShellQuote(out)})) return file;
  const std::vector<std::uint8_t> bin = ReadWholeFile(out);
  if (bin.size() < 128) return file;
  file.found = true;
  file.type.assign(bin.begin() + 65, bin.begin() + 69);
  file.creator.assign(bin.begin() + 69, bin.begin() + 73);
  const std::uint32_t dataLength = Big32(bin, 83), rsrcLength = Big32(bin, 87);
  file.created = Big32(bin, 91);
  file.modified = Big32(bin, 95);
  const std::size_t rsrcAt = 128 + (dataLength + 127) / 128 * 128;
  if (bin.size() < rsrcAt + rsrcLength) return file;
  file.data.assign(bin.begin() + 128, bin.begin() + 128 + dataLength);
  file.rsrc.assign(bin.begin() + static_cast<std::ptrdiff_t>(rsrcAt),
                   bin.begin() + static_cast<std::ptrdiff_t>(rsrcAt + rsrcLength));
  return file;
}

bool EditVolume::HfsutilsWrite(const std::vector<std::string>& commands) {
  return RunHfsutils(dir_.Path(""), image_, commands);
}

}  // namespace tarvo::testing
