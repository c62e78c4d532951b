// Random writes through tarvo-cli (MD, MCOPY of MacBinary files with both
// forks, RENAME, DELETE, LABEL, ATTRIB), names drawn from every Mac Roman
// character, on a bare volume and on a partition neither first nor last of
// its map. After every step the volume checks clean, hfsutils finds every
// item by name with the same forks, type, creator and dates, and no byte
// outside the partition changed. And volumes hfsutils builds with such names
// check clean in Tarvo and take its writes. TARVO_DIFF_STEPS and
// TARVO_DIFF_SEED run longer or other sequences by hand.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>

#include "base/big_endian.h"
#include "base/charset.h"
#include "base/utf8.h"
#include "hfs/name_order.h"
#include "support/apple_map_image.h"
#include "support/cli_process.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;
using namespace tarvo::testing;
using Bytes8 = std::vector<std::uint8_t>;

struct Item {
  bool folder = false;
  std::string type, creator;
  Bytes8 data, rsrc;
  std::uint32_t created = 0, modified = 0;
};

// The expected volume: items by Mac path (":" before every name, Mac Roman).
using Model = std::map<std::string, Item>;

std::string Parent(const std::string& path) { return path.substr(0, path.rfind(':')); }
std::string Leaf(const std::string& path) { return path.substr(path.rfind(':') + 1); }

// An hfsutils source path: its own wildcard characters escaped.
std::string HfsPath(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (std::string_view("*?[]{}\\,").find(c) != std::string_view::npos) out += '\\';
    out += c;
  }
  return out;
}

// Characters typed in UTF-8 that reach the catalog unchanged.
std::vector<unsigned char> TypableCharacters() {
  std::vector<unsigned char> out;
  for (int c = 0x20; c < 0x100; ++c) {
    if (c == ':' || c == '"' || c == '*' || c == '?' || c == 0x7F) continue;
    const std::string mac(1, static_cast<char>(c));
    if (ConvertString(Utf8ToAnsi(MacRomanToUtf8(mac)), AnsiToMac) == mac) out.push_back(static_cast<unsigned char>(c));
  }
  return out;
}

class Differential {
 public:
  Differential(std::uint32_t seed, bool partitioned) : rng_(seed), typable_(TypableCharacters()) {
    image_ = dir_.Path("volume.img");
    fs::create_directories(Pc(""));
    if (partitioned) {
      EXPECT_TRUE(MakeMappedHfsVolume(dir_.Path(""), image_, "Start", 8192));
      volumeStart_ = std::size_t{kMappedPartitionStart} * 512;
      volumeEnd_ = volumeStart_ + std::size_t{8192} * 512;
    } else {
      EXPECT_TRUE(MakeHfsVolume(dir_.Path(""), image_, "Start", 4096));
      volumeEnd_ = fs::file_size(image_);
    }
    outside_ = Outside();
  }

  void Step(int number) {
    std::string what;
    switch (Pick(10)) {
      case 0: case 1: what = MakeFolder(); break;
      case 2: case 3: case 4: what = CopyMacBinary(); break;
      case 5: case 6: what = Rename(); break;
      case 7: what = Delete(); break;
      case 8: what = Label(); break;
      default: what = Attributes(); break;
    }
    SCOPED_TRACE("step " + std::to_string(number) + ": " + what);
    Verify();
  }

  void Verify() {
    const CliResult check = Tarvo({"--check"});
    EXPECT_EQ(check.out, "Volume check: no problems found.\n") << check.err;
    EXPECT_EQ(Outside(), outside_) << "bytes outside the volume's partition changed";
    ExpectHfsutilsReadsModel();
  }

  const Model& model() const { return model_; }
  std::string image() const { return image_; }
  std::string Dir(const std::string& name) const { return dir_.Path(name); }

  // The volume as hfsutils built it: types, creators and dates as it set them.
  void Adopt(Model model) {
    model_ = std::move(model);
    std::string volumeInfo;
    for (const auto& [path, bin] : HfsutilsRead(volumeInfo)) {
      Item& item = model_[path];
      if (item.folder || bin.size() < 128) continue;
      item.type.assign(bin.begin() + 65, bin.begin() + 69);
      item.creator.assign(bin.begin() + 69, bin.begin() + 73);
      item.created = GetU32(bin, 91);
      item.modified = GetU32(bin, 95);
    }
  }

  CliResult Tarvo(std::vector<std::string> args, const std::string& input = "") {
    CliRun run;
    run.args = {"--image", image_, "/A00"};
    run.args.insert(run.args.end(), args.begin(), args.end());
    run.input = input;
    run.tempDir = dir_.Path("");
    run.workDir = Pc("");
    run.env = {"TZ=UTC"};
    run.timeLimitSeconds = 60;
    CliResult result = RunTarvoCli(run);
    EXPECT_TRUE(result.EndedCleanly()) << result.err;
    return result;
  }

 private:
  std::size_t Pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_); }
  std::string Pc(const std::string& name) const { return dir_.Path("pc/" + name); }

  static std::string Quoted(const std::string& name) { return "\"" + MacRomanToUtf8(name) + "\""; }
  // "cd" commands from the root to the folder, then the arguments given.
  std::vector<std::string> In(const std::string& folder, const std::vector<std::string>& then) const {
    std::vector<std::string> args;
    for (std::size_t at = 1; at < folder.size();) {
      const std::size_t end = std::min(folder.find(':', at), folder.size());
      args.insert(args.end(), {"-c", "cd " + Quoted(folder.substr(at, end - at))});
      at = end + 1;
    }
    args.insert(args.end(), then.begin(), then.end());
    return args;
  }

  std::vector<std::string> Paths(bool folders, bool files) const {
    std::vector<std::string> out;
    for (const auto& [path, item] : model_)
      if (item.folder ? folders : files) out.push_back(path);
    return out;
  }
  std::string AnyFolder() {
    std::vector<std::string> folders = Paths(true, false);
    folders.push_back("");
    return folders[Pick(folders.size())];
  }
  bool Typable(const std::string& name) const {
    for (unsigned char c : name)
      if (std::find(typable_.begin(), typable_.end(), c) == typable_.end()) return false;
    return name.front() != ' ' && name.back() != ' ';
  }
  // True when no item of the folder has a name equal to this one.
  bool Free(const std::string& folder, const std::string& name) const {
    for (const auto& [path, item] : model_)
      if (Parent(path) == folder && CompareNames(Leaf(path), name) == 0) return false;
    return true;
  }
  // A name of 1 to 31 characters, none blank at either end, unused in the folder.
  std::string NewName(const std::string& folder, bool typable, std::size_t longest = 31) {
    for (;;) {
      const std::size_t length = 1 + Pick(longest);
      std::string name;
      while (name.size() < length) {
        const unsigned char c = typable ? typable_[Pick(typable_.size())] : static_cast<unsigned char>(0x20 + Pick(0xE0));
        if (c == ':' || c == 0x7F) continue;
        name += static_cast<char>(c);
      }
      if (name.front() == ' ' || name.back() == ' ') continue;
      if (Free(folder, name)) return name;
    }
  }
  Bytes8 RandomBytes(std::size_t most) {
    Bytes8 bytes(Pick(most + 1));
    for (auto& b : bytes) b = static_cast<std::uint8_t>(rng_());
    return bytes;
  }
  std::string Signature() {
    std::string s;
    for (int i = 0; i < 4; ++i) s += static_cast<char>('A' + Pick(26));
    return s;
  }

  std::string MakeFolder() {
    const std::string folder = AnyFolder();
    // MD lowers all but the first character: the rest have no case.
    std::string name = NewName(folder, true, 1);
    const std::string rest = "abcdefghijklmnopqrstuvwxyz0123456789 -_.()&!#";
    for (std::size_t n = Pick(20); n > 0; --n) name += rest[Pick(rest.size())];
    while (name.back() == ' ') name.pop_back();
    if (!Free(folder, name)) return "md skipped";
    Tarvo(In(folder, {"-c", "md " + Quoted(name)}));
    model_[folder + ":" + name].folder = true;
    return "md " + folder + ":" + name;
  }

  std::string CopyMacBinary() {
    const std::string folder = AnyFolder();
    Item item;
    const std::string name = NewName(folder, false);
    item.type = Signature();
    item.creator = Signature();
    item.data = RandomBytes(Pick(4) == 0 ? 70000 : 3000);
    item.rsrc = RandomBytes(Pick(3) == 0 ? 9000 : 600);
    item.created = 0xA0000000u + static_cast<std::uint32_t>(rng_() % 0x10000000u);
    item.modified = item.created + static_cast<std::uint32_t>(rng_() % 100000u);
    WriteWholeFile(Pc("in.bin"), MacBinaryFile(name, item.type, item.creator, item.data, item.rsrc, item.created,
                                               item.modified));
    const CliResult run = Tarvo(In(folder, {"-c", "mcopy /b in.bin"}));
    fs::remove(Pc("in.bin"));
    EXPECT_EQ(testing::WithoutCopySummaries(run.err), "");
    model_[folder + ":" + name] = item;
    return "mcopy " + folder + ":" + name;
  }

  std::string Rename() {
    std::vector<std::string> candidates;
    for (const std::string& path : Paths(true, true))
      if (Typable(Leaf(path))) candidates.push_back(path);
    if (candidates.empty()) return "rename skipped";
    const std::string from = candidates[Pick(candidates.size())];
    const std::string folder = Parent(from);
    const std::string name = NewName(folder, true);
    Tarvo(In(folder, {"-c", "rename " + Quoted(Leaf(from)) + " " + Quoted(name)}));
    Model renamed;
    for (auto& [path, item] : model_) {
      if (path == from || path.starts_with(from + ":")) renamed[folder + ":" + name + path.substr(from.size())] = item;
      else renamed[path] = item;
    }
    model_ = std::move(renamed);
    return "rename " + from + " to " + name;
  }

  // The name with '?' for each untypable character, if it names this item alone.
  std::optional<std::string> Pattern(const std::string& path) const {
    std::string pattern;
    for (unsigned char c : Leaf(path))
      pattern += std::find(typable_.begin(), typable_.end(), c) == typable_.end() ? '?' : static_cast<char>(c);
    while (!pattern.empty() && pattern.back() == ' ') pattern.back() = '?';
    for (const auto& [other, item] : model_)
      if (other != path && Parent(other) == Parent(path) && MatchName(pattern, Leaf(other)) == 0) return std::nullopt;
    return pattern;
  }

  std::string Delete() {
    std::vector<std::string> paths = Paths(true, true);
    if (paths.empty()) return "delete skipped";
    const std::string path = paths[Pick(paths.size())];
    const std::optional<std::string> pattern = Pattern(path);
    if (!pattern) return "delete skipped";
    Tarvo(In(Parent(path), {"-c", "delete " + Quoted(*pattern)}), "ok\n");
    std::erase_if(model_, [&](const auto& entry) { return entry.first == path || entry.first.starts_with(path + ":"); });
    return "delete " + path;
  }

  std::string Label() {
    label_ = NewName("\x01", true, 27);
    Tarvo({"-c", "label " + Quoted(label_)});
    return "label " + label_;
  }

  std::string Attributes() {
    std::vector<std::string> files;
    for (const std::string& path : Paths(false, true))
      if (Pattern(path)) files.push_back(path);
    if (files.empty()) return "attrib skipped";
    const std::string path = files[Pick(files.size())];
    Item& item = model_[path];
    item.type = Signature();
    item.creator = Signature();
    // A whole minute of 2001..2019, as the dialog's fields give it.
    const int day = 1 + static_cast<int>(Pick(28)), month = 1 + static_cast<int>(Pick(12));
    const int year = 2001 + static_cast<int>(Pick(19)), hour = static_cast<int>(Pick(24));
    const int minute = static_cast<int>(Pick(60));
    std::tm fields{};
    fields.tm_mday = day, fields.tm_mon = month - 1, fields.tm_year = year - 1900;
    fields.tm_hour = hour, fields.tm_min = minute;
    item.modified = static_cast<std::uint32_t>(timegm(&fields) + 2082844800);
    std::string answers = "type " + item.type + "\ncreator " + item.creator + "\nmodified " + std::to_string(day) +
                          " " + std::to_string(month) + " " + std::to_string(year % 100) + " " +
                          std::to_string(hour) + " " + std::to_string(minute) + "\n";
    std::string newPath = path;
    if (Pick(2) == 0) {
      const std::string name = NewName(Parent(path), true);
      answers += "name " + Quoted(name) + "\n";
      newPath = Parent(path) + ":" + name;
    }
    answers += "write\n";
    Tarvo(In(Parent(path), {"--select", MacRomanToUtf8(*Pattern(path)), "--menu", "115"}), answers);
    if (newPath != path) {
      model_[newPath] = item;
      model_.erase(path);
    }
    return "attrib " + path;
  }

  // hfsutils looks every item up by path in one mount (folders with hls -d,
  // files extracted as MacBinary) and prints the volume's name.
  std::map<std::string, Bytes8> HfsutilsRead(std::string& volumeInfo) {
    const std::string copy = dir_.Path("copy.img"), out = dir_.Path("out");
    fs::copy_file(image_, copy, fs::copy_options::overwrite_existing);
    fs::remove_all(out);
    fs::create_directories(out);
    std::string script = "hvol > " + ShellQuote(out + "/vol") + " ; ";
    std::vector<std::string> paths;
    for (const auto& [path, item] : model_) {
      const std::string index = ShellQuote(out + "/" + std::to_string(paths.size()));
      const std::string hfs = ShellQuote(":" + HfsPath(path.substr(1)));
      script += (item.folder ? "hls -d " + hfs + " > " + index : "hcopy -m " + hfs + " " + index) + " ; ";
      paths.push_back(path);
    }
    HfsutilsOutput(dir_.Path(""), copy, script + "true");
    const Bytes8 vol = ReadWholeFile(out + "/vol");
    volumeInfo.assign(vol.begin(), vol.end());
    std::map<std::string, Bytes8> found;
    for (std::size_t i = 0; i < paths.size(); ++i) {
      const std::string file = out + "/" + std::to_string(i);
      if (fs::exists(file)) found[paths[i]] = ReadWholeFile(file);
    }
    fs::remove_all(out);
    fs::remove(copy);
    return found;
  }

  void ExpectHfsutilsReadsModel() {
    std::string volumeInfo;
    const std::map<std::string, Bytes8> found = HfsutilsRead(volumeInfo);
    EXPECT_NE(volumeInfo.find("\"" + label_ + "\""), std::string::npos) << volumeInfo;
    for (const auto& [path, want] : model_) {
      SCOPED_TRACE("hfsutils reading " + MacRomanToUtf8(path));
      const auto it = found.find(path);
      ASSERT_TRUE(it != found.end() && (want.folder || it->second.size() >= 128)) << "not found by name";
      if (want.folder) continue;
      const Bytes8& bin = it->second;
      EXPECT_EQ(std::string(bin.begin() + 65, bin.begin() + 69), want.type);
      EXPECT_EQ(std::string(bin.begin() + 69, bin.begin() + 73), want.creator);
      EXPECT_EQ(GetU32(bin, 91), want.created);
      EXPECT_EQ(GetU32(bin, 95), want.modified);
      const std::uint32_t dataLength = GetU32(bin, 83), rsrcLength = GetU32(bin, 87);
      ASSERT_EQ(dataLength, want.data.size());
      ASSERT_EQ(rsrcLength, want.rsrc.size());
      const std::size_t rsrcAt = 128 + (dataLength + 127) / 128 * 128;
      ASSERT_GE(bin.size(), rsrcAt + rsrcLength);
      EXPECT_TRUE(std::equal(want.data.begin(), want.data.end(), bin.begin() + 128)) << "data fork differs";
      EXPECT_TRUE(std::equal(want.rsrc.begin(), want.rsrc.end(), bin.begin() + static_cast<std::ptrdiff_t>(rsrcAt)))
          << "resource fork differs";
    }
  }

  Bytes8 Outside() const {
    Bytes8 bytes = ReadWholeFile(image_);
    bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(volumeStart_),
                bytes.begin() + static_cast<std::ptrdiff_t>(std::min(volumeEnd_, bytes.size())));
    return bytes;
  }

  ScratchDir dir_;
  std::mt19937 rng_;
  std::vector<unsigned char> typable_;
  std::string image_;
  std::size_t volumeStart_ = 0, volumeEnd_ = 0;
  Bytes8 outside_;
  Model model_;
  std::string label_ = "Start";
};

int Steps() { return std::getenv("TARVO_DIFF_STEPS") ? std::atoi(std::getenv("TARVO_DIFF_STEPS")) : 30; }
std::uint32_t Seed(std::uint32_t fallback) {
  const char* seed = std::getenv("TARVO_DIFF_SEED");
  return seed ? static_cast<std::uint32_t>(std::strtoul(seed, nullptr, 10)) : fallback;
}

TEST(DifferentialTest, RandomWritesOnABareVolumeAndInsideAPartition) {
  for (const bool partitioned : {false, true}) {
    SCOPED_TRACE(partitioned ? "partitioned" : "bare");
    Differential run(Seed(partitioned ? 2 : 1), partitioned);
    for (int step = 1; step <= Steps() && !::testing::Test::HasFatalFailure(); ++step) run.Step(step);
  }
}

// hfsutils builds a tree with names of every character; Tarvo checks it
// clean, then writes on it.
TEST(DifferentialTest, VolumesHfsutilsBuildsCheckCleanAndTakeWrites) {
  Differential run(Seed(3), false);
  Model model;
  std::vector<std::string> commands = {"hmkdir :Top"};
  model[":Top"].folder = true;
  for (int c = 0x20; c < 0x100; ++c) {
    if (c == ':' || c == 0x7F) continue;
    // One file per character, its name starting or ending with it.
    const std::string folder = c % 2 ? "" : ":Top";
    std::string name = c % 3 ? std::string(1, static_cast<char>(c)) + "x" + std::to_string(c)
                             : "n" + std::to_string(c) + static_cast<char>(c);
    if (name.back() == ' ') name += '.';
    const std::string pc = run.Dir("f" + std::to_string(c));
    WriteWholeFile(pc, Bytes8(static_cast<std::size_t>(c), static_cast<std::uint8_t>(c)));
    commands.push_back("hcopy -r " + ShellQuote(pc) + " " + ShellQuote(folder + ":" + name));
    Item item;
    item.data.assign(static_cast<std::size_t>(c), static_cast<std::uint8_t>(c));
    model[folder + ":" + name] = item;
  }
  ASSERT_TRUE(RunHfsutils(run.Dir(""), run.image(), commands));
  for (int c = 0x20; c < 0x100; ++c) fs::remove(run.Dir("f" + std::to_string(c)));
  run.Adopt(model);
  run.Verify();
  for (int step = 1; step <= Steps() / 6 && !::testing::Test::HasFatalFailure(); ++step) run.Step(step);
}

}  // namespace
}  // namespace tarvo
