// tarvo-cli rescuing (--menu 130) the volumes Macintoshes wrote.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "support/cli_image.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;
using Data = std::vector<std::uint8_t>;

// The bytes of every file below the directory, each as often as it is there.
std::multiset<Data> FilesUnder(const std::string& dir) {
  std::multiset<Data> files;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(dir)) {
    if (e.is_regular_file()) files.insert(testing::ReadWholeFile(e.path().string()));
  }
  return files;
}

// Full leaves, leaves that start with a thread, nested folders: the rescue
// gives every MacBinary file a normal copy of the volume makes.
TEST(TarvoCliRescueTest, EveryFileOfARealVolumeComesBackWhole) {
  const std::pair<std::string, std::size_t> images[] = {
      {"apm-prodos-hfs-cp2.iso", 1},     {"sys75-disk-tools-1440k.dsk", 7}, {"ara-installer-disk1-dc42.image", 31},
      {"excel30-folder-nested.img", 59}, {"gsos-simple-800k.dsk", 13},      {"sys607-system-tools-tagtail.dsk", 11}};
  for (const auto& [file, count] : images) {
    SCOPED_TRACE(file);
    testing::ScratchDir out;
    testing::ImageCli cli(out, std::string(TARVO_FIXTURES_DIR) + "/" + file);
    const auto files = [&](const std::string& into, const std::vector<std::string>& args, const std::string& input) {
      cli.workDir = out.Path(into);
      fs::create_directory(cli.workDir);
      EXPECT_EQ(cli.Run(args, input, ",ro").exitCode, 0);
      return FilesUnder(cli.workDir);
    };
    const std::multiset<Data> copied = files("copied", {"-c", "COPY /B *"}, "");
    ASSERT_EQ(copied.size(), count);
    const std::multiset<Data> rescued = files("rescued", {"--menu", "130"}, "binary\nstart\n");
    for (auto it = copied.begin(); it != copied.end(); it = copied.upper_bound(*it)) {
      const std::string name(it->begin() + 2, it->begin() + 2 + (*it)[1]);  // the MacBinary header's
      EXPECT_GE(rescued.count(*it), copied.count(*it)) << name;
    }
  }
}

}  // namespace
}  // namespace tarvo
