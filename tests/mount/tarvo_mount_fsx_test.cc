// tarvo-mount under a random stream of file operations, in the manner of
// fsx: every operation goes to the mount and to a plain folder alike, and
// both must agree after each; at the end the volume checks clean and
// hfsutils reads every file as the plain folder holds it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/cli_image.h"
#include "support/fuse_mount.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;

// One operation's outcome: 0, or the errno it failed with.
int Outcome(int result) { return result < 0 ? errno : 0; }

// With `sync`, the file is made durable before it is closed: on the mount
// that writes every change so far as one update of the medium.
int WriteAt(const std::string& path, const std::vector<char>& bytes, off_t offset, bool sync) {
  const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0644);
  if (fd < 0) return errno;
  const bool written = ::pwrite(fd, bytes.data(), bytes.size(), offset) == static_cast<ssize_t>(bytes.size()) &&
                       (!sync || ::fsync(fd) == 0);
  const int error = written ? 0 : errno;
  return ::close(fd) != 0 ? errno : error;
}

// The tree under root: each path with "/" for a folder or its content.
std::map<std::string, std::string> Tree(const std::string& root) {
  std::map<std::string, std::string> tree;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    const std::string relative = fs::relative(entry.path(), root).string();
    if (entry.is_directory()) {
      tree[relative] = "/";
    } else {
      const std::vector<std::uint8_t> bytes = testing::ReadWholeFile(entry.path().string());
      tree[relative] = std::string(bytes.begin(), bytes.end());
    }
  }
  return tree;
}

std::string Describe(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return "absent";
  if (S_ISDIR(st.st_mode)) return "folder";
  const std::vector<std::uint8_t> bytes = testing::ReadWholeFile(path);
  return "file of " + std::to_string(bytes.size()) + " bytes, " +
         std::to_string(std::hash<std::string>{}(std::string(bytes.begin(), bytes.end())));
}

class TarvoMountFsxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string reason = testing::FuseUnavailable(); !reason.empty()) GTEST_SKIP() << reason;
    ASSERT_TRUE(testing::MakeHfsVolume(dir_.Path(""), image_, "Random", 8192));
    fs::create_directories(plain_);
  }

  testing::ScratchDir dir_;
  std::string image_ = dir_.Path("random.img");
  std::string plain_ = dir_.Path("plain");
};

TEST_F(TarvoMountFsxTest, RandomOperationsAgreeWithAPlainFolderAndReachHfsutils) {
  auto mount = std::make_unique<testing::FuseMount>(image_, dir_.Path("mnt"));
  if (!mount->mounted()) GTEST_SKIP() << "the mount failed: " << mount->Ended().err;

  std::mt19937 random(20261207);
  const std::vector<std::string> folders = {"", "d1/", "d2/", "d1/e3/"};
  const std::vector<std::string> files = {"f1", "f2", "f3", "f4", "g5"};
  auto pick = [&random](const auto& from) { return from[random() % from.size()]; };
  auto anyPath = [&] { return pick(folders) + pick(files); };
  auto anyFolder = [&] {
    const std::string folder = pick(folders);
    return folder.empty() ? std::string("d1") : folder.substr(0, folder.size() - 1);
  };

  constexpr int kOperations = 2000;
  for (int step = 0; step < kOperations; ++step) {
    const unsigned kind = random() % 100;
    std::vector<std::string> touched;
    std::string what;
    int onMount = 0, onPlain = 0;
    auto both = [&](const std::function<int(const std::string& root)>& operation) {
      onMount = operation(mount->Path(""));
      onPlain = operation(plain_ + "/");
    };
    if (kind < 40) {
      const std::string path = anyPath();
      std::vector<char> bytes(1 + random() % 9000);
      for (char& c : bytes) c = static_cast<char>(random());
      const off_t offset = static_cast<off_t>(random() % 30000);
      const bool sync = random() % 5 == 0;
      what = "write " + std::to_string(bytes.size()) + " at " + std::to_string(offset) + " to " + path;
      both([&](const std::string& root) { return WriteAt(root + path, bytes, offset, sync); });
      touched = {path};
    } else if (kind < 55) {
      const std::string path = anyPath();
      const off_t size = static_cast<off_t>(random() % 40000);
      what = "truncate " + path + " to " + std::to_string(size);
      both([&](const std::string& root) { return Outcome(::truncate((root + path).c_str(), size)); });
      touched = {path};
    } else if (kind < 70) {
      const bool folder = random() % 4 == 0;
      const std::string from = folder ? anyFolder() : anyPath();
      const std::string to = folder ? anyFolder() : anyPath();
      what = "rename " + from + " to " + to;
      both([&](const std::string& root) { return Outcome(::rename((root + from).c_str(), (root + to).c_str())); });
      touched = {from, to};
    } else if (kind < 82) {
      const std::string path = anyPath();
      what = "unlink " + path;
      both([&](const std::string& root) { return Outcome(::unlink((root + path).c_str())); });
      touched = {path};
    } else if (kind < 92) {
      const std::string path = anyFolder();
      what = "mkdir " + path;
      both([&](const std::string& root) { return Outcome(::mkdir((root + path).c_str(), 0755)); });
      touched = {path};
    } else {
      const std::string path = anyFolder();
      what = "rmdir " + path;
      both([&](const std::string& root) { return Outcome(::rmdir((root + path).c_str())); });
      touched = {path};
    }
    ASSERT_EQ(onMount == 0, onPlain == 0) << "step " << step << ": " << what << ": the mount gave "
                                          << std::strerror(onMount) << ", the plain folder "
                                          << std::strerror(onPlain);
    for (const std::string& path : touched) {
      ASSERT_EQ(Describe(mount->Path(path)), Describe(plain_ + "/" + path)) << "step " << step << ": " << what;
    }
    if (step % 250 == 0) {
      ASSERT_EQ(Tree(mount->Path("")), Tree(plain_)) << "step " << step;
    }
  }
  const std::map<std::string, std::string> expected = Tree(plain_);
  ASSERT_EQ(Tree(mount->Path("")), expected);
  const testing::CliResult ended = mount->Unmount();
  EXPECT_EQ(ended.exitCode, 0) << ended.err;

  testing::ImageCli cli(dir_, image_);
  cli.ExpectClean();
  for (const auto& [path, content] : expected) {
    std::string hfsPath = ":" + path;
    std::replace(hfsPath.begin(), hfsPath.end(), '/', ':');
    if (content == "/") continue;
    EXPECT_EQ(testing::HfsutilsOutput(dir_.Path(""), image_, "hcopy -r " + hfsPath + " -"), content) << path;
  }
}

}  // namespace
}  // namespace tarvo
