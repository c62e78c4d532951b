#include "support/rescue_volume.h"

#include <filesystem>

#include "base/big_endian.h"
#include "hfs/btree.h"
#include "hfs/volume_header.h"
#include "support/hfs_volume.h"

namespace tarvo::testing {

namespace {

std::vector<std::uint8_t> Content(int i) {
  std::vector<std::uint8_t> d(300 + 97 * i);
  for (std::size_t k = 0; k < d.size(); ++k) d[k] = static_cast<std::uint8_t>(k * (i + 3) + i);
  return d;
}

}  // namespace

std::string RescueFileName(int i) { return "file" + std::to_string(100 + i) + ".bin"; }

bool RescueVolume::Build() {
  const std::string home = dir_.Path("");
  image_ = dir_.Path("v.img");
  std::filesystem::create_directory(dir_.Path("ref"));
  if (!MakeHfsVolume(home, image_, "Rescue", 2048)) return false;
  std::vector<std::string> in, out;
  for (int i = 0; i < kRescueFiles; ++i) {
    const std::string source = dir_.Path("src" + std::to_string(i));
    WriteWholeFile(source, Content(i));
    in.push_back("hcopy -r " + ShellQuote(source) + " :" + RescueFileName(i));
    out.push_back("hcopy -r :" + RescueFileName(i) + " " + ShellQuote(Reference(i)));
  }
  return RunHfsutils(home, image_, in) && RunHfsutils(home, image_, out);
}

int RescueVolume::Damage(const std::string& path, bool header) const {
  std::vector<std::uint8_t> image = ReadWholeFile(image_);
  const ConstBytes mdb = ConstBytes(image).subspan(1024, 512);
  const std::size_t blockSize = GetU32(mdb, mdb::drAlBlkSiz);
  const std::size_t start = GetU16(mdb, mdb::drAlBlSt) * 512 + GetU16(mdb, mdb::drCTExtRec) * blockSize;
  const std::size_t nodes = GetU32(mdb, mdb::drCTFlSize) / 512;
  int indexNodes = 0;
  for (std::size_t n = 0; n < nodes; ++n) {
    const Bytes node = Bytes(image).subspan(start + n * 512, 512);
    if (NodeType(node) == kIndexNode && NodeRecordCount(node) != 0) ++indexNodes;
    if (NodeType(node) == kIndexNode || NodeType(node) == kHeaderNode) std::fill(node.begin(), node.end(), 0);
  }
  if (header) {
    std::fill_n(image.begin() + 1024, 512, 0);
    std::fill_n(image.end() - 1024, 512, 0);
  }
  WriteWholeFile(path, image);
  return indexNodes;
}

}  // namespace tarvo::testing
