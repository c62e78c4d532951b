// tarvo-mount: forks and Finder information through extended attributes,
// names, a mount killed part way, and the medium held against a second
// user.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "base/big_endian.h"
#include "support/apple_map_image.h"
#include "support/byte_pattern.h"
#include "support/cli_image.h"
#include "support/fuse_mount.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

using testing::PatternBytes;
namespace fs = std::filesystem;
using Bytes8 = std::vector<std::uint8_t>;

constexpr const char* kResourceFork = "user.com.apple.ResourceFork";
constexpr const char* kFinderInfo = "user.com.apple.FinderInfo";
constexpr const char* kInUse = "tarvo-mount: The volume is in use by another program.";

Bytes8 Attribute(const std::string& path, const char* name) {
  const ssize_t size = ::getxattr(path.c_str(), name, nullptr, 0);
  if (size < 0) return {};
  Bytes8 value(static_cast<std::size_t>(size));
  if (::getxattr(path.c_str(), name, value.data(), value.size()) != size) return {};
  return value;
}

// Writes the file and fsyncs it: every change of the mount so far becomes
// one update of the medium.
bool WriteDurably(const std::string& path, const Bytes8& bytes) {
  const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
  if (fd < 0) return false;
  const bool written = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) && ::fsync(fd) == 0;
  return ::close(fd) == 0 && written;
}

bool Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

class TarvoMountTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string reason = testing::FuseUnavailable(); !reason.empty()) GTEST_SKIP() << reason;
    ASSERT_TRUE(testing::MakeHfsVolume(dir_.Path(""), image_, "Mounted", 4096));
  }

  // Mounts the image at "mnt" (or `point`); skips when this machine
  // refuses FUSE mounts.
  std::unique_ptr<testing::FuseMount> Mount(const std::vector<std::string>& options = {},
                                            const std::string& point = "mnt") {
    auto mount = std::make_unique<testing::FuseMount>(image_, dir_.Path(point), options);
    if (!mount->mounted()) {
      const std::string err = mount->Ended().err;
      if (err.find("ermission") != std::string::npos) skipped_ = "FUSE mounts are not permitted: " + err;
      else failure_ = err;
    }
    return mount;
  }

  std::string Hfsutils(const std::string& command) { return testing::HfsutilsOutput(dir_.Path(""), image_, command); }
  testing::ExtractedFile Extract(const std::string& macPath) {
    return testing::HfsutilsExtract(dir_.Path(""), image_, macPath);
  }

  testing::ScratchDir dir_;
  std::string image_ = dir_.Path("mounted.img");
  testing::ImageCli cli_{dir_, image_};
  std::string skipped_, failure_;
};

#define MOUNT_OR_SKIP(mount)                              \
  if (!(mount)->mounted()) {                              \
    if (!skipped_.empty()) GTEST_SKIP() << skipped_;      \
    FAIL() << "the mount failed: " << failure_;           \
  }

TEST_F(TarvoMountTest, BothForksAndTheFinderInfoTravelThroughAttributes) {
  // ext4 holds at most a block of attributes per file: the fork stays below.
  const Bytes8 data = PatternBytes(70000, 1), rsrc = PatternBytes(3000, 2);
  testing::WriteWholeFile(dir_.Path("packed.bin"), testing::MacBinaryFile("Both", "APPL", "MINE", data, rsrc));
  ASSERT_TRUE(testing::RunHfsutils(dir_.Path(""), image_, {"hcopy -m " + dir_.Path("packed.bin") + " :Both"}));
  fs::create_directories(dir_.Path("pc"));
  {
    auto mount = Mount();
    MOUNT_OR_SKIP(mount);
    ASSERT_TRUE(Shell("cp -a " + testing::ShellQuote(mount->Path("Both")) + " " + dir_.Path("pc/Both")));
    EXPECT_EQ(testing::ReadWholeFile(dir_.Path("pc/Both")), data);
    EXPECT_EQ(Attribute(dir_.Path("pc/Both"), kResourceFork), rsrc);
    const Bytes8 finderInfo = Attribute(dir_.Path("pc/Both"), kFinderInfo);
    ASSERT_EQ(finderInfo.size(), 32u);
    EXPECT_EQ(std::string(finderInfo.begin(), finderInfo.begin() + 8), "APPLMINE");

    // Back in under another name, and with rsync where it is installed.
    ASSERT_TRUE(Shell("cp -a " + dir_.Path("pc/Both") + " " + testing::ShellQuote(mount->Path("Copy"))));
    if (Shell("command -v rsync")) {
      ASSERT_TRUE(Shell("rsync -aX " + dir_.Path("pc/Both") + " " + testing::ShellQuote(mount->Path("Synced"))));
      EXPECT_EQ(Attribute(mount->Path("Synced"), kResourceFork), rsrc);
    }
    // Taking the fork away leaves the data.
    ASSERT_EQ(::removexattr(mount->Path("Both").c_str(), kResourceFork), 0);
    EXPECT_EQ(Attribute(mount->Path("Both"), kResourceFork), Bytes8{});
    EXPECT_EQ(mount->Unmount().exitCode, 0);
  }
  cli_.ExpectClean();
  const testing::ExtractedFile copy = Extract(":Copy");
  EXPECT_EQ(copy.type + copy.creator, "APPLMINE");
  EXPECT_EQ(copy.data, data);
  EXPECT_EQ(copy.rsrc, rsrc);
  EXPECT_EQ(Hfsutils("hcopy -r :Both -"), std::string(data.begin(), data.end()));
}

// -o rsrc: the resource fork is also the file NAME:rsrc, for programs
// without extended attributes; listings and the data fork stay as they are.
TEST_F(TarvoMountTest, TheResourceForkIsAFileOfItsOwnWithTheRsrcOption) {
  const Bytes8 data = PatternBytes(9000, 11), rsrc = PatternBytes(5000, 12), newRsrc = PatternBytes(30000, 13);
  testing::WriteWholeFile(dir_.Path("packed.bin"), testing::MacBinaryFile("Both", "APPL", "MINE", data, rsrc));
  testing::WriteWholeFile(dir_.Path("new.rsrc"), newRsrc);
  ASSERT_TRUE(testing::RunHfsutils(dir_.Path(""), image_, {"hcopy -m " + dir_.Path("packed.bin") + " :Both"}));
  {
    auto plain = Mount();
    MOUNT_OR_SKIP(plain);
    EXPECT_FALSE(fs::exists(plain->Path("Both:rsrc")));
    EXPECT_EQ(plain->Unmount().exitCode, 0);
  }
  {
    auto mount = Mount({"-o", "rsrc"});
    MOUNT_OR_SKIP(mount);
    EXPECT_EQ(testing::ReadWholeFile(mount->Path("Both:rsrc")), rsrc);
    EXPECT_EQ(testing::ReadWholeFile(mount->Path("Both")), data);
    EXPECT_EQ(fs::file_size(mount->Path("Both:rsrc")), rsrc.size());
    std::vector<std::string> listed;
    for (const auto& entry : fs::directory_iterator(mount->Path(""))) listed.push_back(entry.path().filename());
    EXPECT_EQ(listed, std::vector<std::string>{"Both"});
    // A program without attributes copies a fork in; cp takes the two
    // paths for two files.
    ASSERT_TRUE(Shell("cp " + dir_.Path("new.rsrc") + " " + testing::ShellQuote(mount->Path("Both:rsrc"))));
    EXPECT_EQ(testing::ReadWholeFile(mount->Path("Both:rsrc")), newRsrc);
    testing::WriteWholeFile(mount->Path("New"), data);
    ASSERT_TRUE(Shell("cp " + testing::ShellQuote(mount->Path("Both")) + " " + testing::ShellQuote(mount->Path("New:rsrc"))));
    ASSERT_EQ(::truncate(mount->Path("New:rsrc").c_str(), 100), 0);
    EXPECT_EQ(::unlink(mount->Path("Both:rsrc").c_str()), -1);
    EXPECT_EQ(errno, EPERM);
    EXPECT_EQ(Attribute(mount->Path("Both"), kResourceFork), newRsrc);
    EXPECT_EQ(mount->Unmount().exitCode, 0);
  }
  cli_.ExpectClean();
  EXPECT_EQ(Hfsutils("hls -1"), "Both\nNew\n");
  const testing::ExtractedFile both = Extract(":Both"), made = Extract(":New");
  EXPECT_EQ(both.type + both.creator, "APPLMINE");
  EXPECT_EQ(both.data, data);
  EXPECT_EQ(both.rsrc, newRsrc);
  EXPECT_EQ(made.data, data);
  EXPECT_EQ(made.rsrc, Bytes8(data.begin(), data.begin() + 100));
}

TEST_F(TarvoMountTest, NamesAreMacintoshNamesAndThoseThatCannotBeStoredAreRefused) {
  auto mount = Mount();
  MOUNT_OR_SKIP(mount);
  ASSERT_EQ(::mkdir(mount->Path("Café").c_str(), 0755), 0);
  struct stat st {};
  // The Macintosh's name order: letter case does not count.
  EXPECT_EQ(::stat(mount->Path("CAFÉ").c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(::mkdir(mount->Path(std::string(32, 'n')).c_str(), 0755), -1);
  EXPECT_EQ(errno, ENAMETOOLONG);
  EXPECT_EQ(::mkdir(mount->Path("a:b").c_str(), 0755), -1);
  EXPECT_EQ(errno, EINVAL);
  EXPECT_EQ(::mkdir(mount->Path(std::string(31, 'n')).c_str(), 0755), 0);
  const testing::CliResult ended = mount->Unmount();
  EXPECT_EQ(ended.exitCode, 0);
  EXPECT_TRUE(testing::Contains(ended.err, "longer than the 31 characters")) << ended.err;
  EXPECT_TRUE(testing::Contains(ended.err, "holds ':'")) << ended.err;
  EXPECT_EQ(Hfsutils("hls -1"), "Caf\x8e\n" + std::string(31, 'n') + "\n");
}

TEST_F(TarvoMountTest, ADamagedVolumeIsMountedReadOnly) {
  // drNxtCNID of the volume header (bare volume: the header at byte 1024)
  // would give a new file the ID of the root.
  Bytes8 image = testing::ReadWholeFile(image_);
  PutU32(image, 1024 + 0x1E, 2);
  testing::WriteWholeFile(image_, image);
  auto mount = Mount();
  MOUNT_OR_SKIP(mount);
  EXPECT_EQ(::mkdir(mount->Path("New").c_str(), 0755), -1);
  EXPECT_EQ(errno, EROFS);
  const testing::CliResult ended = mount->Unmount();
  EXPECT_EQ(ended.exitCode, 0);
  EXPECT_TRUE(testing::Contains(ended.err, "tarvo-mount: The volume is mounted read-only.")) << ended.err;
  EXPECT_EQ(testing::ReadWholeFile(image_), image);
}

TEST_F(TarvoMountTest, AMountKilledDuringWritesIsTakenBackByTheNextMount) {
  {
    auto mount = Mount();
    MOUNT_OR_SKIP(mount);
    ASSERT_TRUE(WriteDurably(mount->Path("Kept"), PatternBytes(3000, 4)));
    std::atomic<int> written{0};
    std::atomic<bool> stopped{false};
    std::thread writer([&] {
      const Bytes8 bytes = PatternBytes(60000, 3);
      for (int i = 0; WriteDurably(mount->Path("w" + std::to_string(i % 12)), bytes); ++i) ++written;
      stopped = true;
    });
    while (written < 5 && !stopped) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(137));
    mount->Kill();
    writer.join();
    EXPECT_GE(written, 5);
  }
  auto again = Mount();
  MOUNT_OR_SKIP(again);
  EXPECT_EQ(testing::ReadWholeFile(again->Path("Kept")), PatternBytes(3000, 4));
  EXPECT_EQ(again->Unmount().exitCode, 0);
  cli_.ExpectClean();
}

// A file created through the mount is known from its open content until
// it is closed, and only then recorded: once, with one catalog ID.
TEST_F(TarvoMountTest, ACreatedFileIsRecordedOnceWhenClosed) {
  const Bytes8 bytes = PatternBytes(5000, 5);
  {
    auto mount = Mount();
    MOUNT_OR_SKIP(mount);
    for (const char* name : {"f1", "f2", "f3"}) testing::WriteWholeFile(mount->Path(name), bytes);

    const int open = ::open(mount->Path("Open").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(open, 0);
    ASSERT_EQ(::write(open, bytes.data(), 1234), 1234);
    struct stat st {};
    ASSERT_EQ(::stat(mount->Path("OPEN").c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 1234);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    // Deleted before its close: it never reaches the volume.
    const int gone = ::open(mount->Path("Gone").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(gone, 0);
    ASSERT_EQ(::unlink(mount->Path("Gone").c_str()), 0);
    EXPECT_EQ(::write(gone, bytes.data(), 10), 10);
    EXPECT_EQ(::close(gone), 0);
    // Two created files, the one renamed over the other while both are open.
    const int over = ::open(mount->Path("Over").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(over, 0);
    ASSERT_EQ(::rename(mount->Path("Open").c_str(), mount->Path("Over").c_str()), 0);
    EXPECT_EQ(::close(over), 0);
    EXPECT_EQ(::close(open), 0);
    EXPECT_EQ(mount->Unmount().exitCode, 0);
  }
  cli_.ExpectClean();
  EXPECT_EQ(Hfsutils("hls -1"), "f1\nf2\nf3\nOver\n");
  EXPECT_EQ(Hfsutils("hcopy -r :Over -"), std::string(bytes.begin(), bytes.begin() + 1234));
  // hls -i: each name after its catalog ID.
  std::istringstream listed(Hfsutils("hls -1i f1 f2 f3"));
  std::vector<unsigned long> ids;
  for (unsigned long id = 0; listed >> id;) {
    ids.push_back(id);
    listed.ignore(64, '\n');
  }
  ASSERT_EQ(ids.size(), 3u);
  EXPECT_EQ(ids[1], ids[0] + 1);
  EXPECT_EQ(ids[2], ids[1] + 1);
}

// A small file is written to the volume from memory: a copy of many small
// files makes no file on the PC for each, nor needs room for one.
TEST_F(TarvoMountTest, SmallFilesAreWrittenWithoutATemporaryFile) {
  const std::string temp = dir_.Path("tmp");
  fs::create_directories(temp);
  const char* saved = std::getenv("TMPDIR");
  const std::string savedTemp = saved != nullptr ? saved : "";
  ::setenv("TMPDIR", temp.c_str(), 1);
  auto mount = Mount();
  if (saved != nullptr) ::setenv("TMPDIR", savedTemp.c_str(), 1);
  else ::unsetenv("TMPDIR");
  MOUNT_OR_SKIP(mount);
  // The catalog went there at the mount; no other file can now.
  fs::remove(temp);

  const Bytes8 first = PatternBytes(4000, 9), second = PatternBytes(1500, 10);
  auto write = [&mount](const char* name, const Bytes8& bytes) {
    const int fd = ::open(mount->Path(name).c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0) return false;
    const bool written = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    return ::close(fd) == 0 && written;
  };
  EXPECT_TRUE(write("s1", first));
  EXPECT_TRUE(write("s2", first));
  // Rewritten from its start, shorter.
  EXPECT_TRUE(write("s1", second));
  EXPECT_EQ(testing::ReadWholeFile(mount->Path("s1")), second);
  EXPECT_EQ(mount->Unmount().exitCode, 0);
  cli_.ExpectClean();
  EXPECT_EQ(Hfsutils("hcopy -r :s1 -"), std::string(second.begin(), second.end()));
  EXPECT_EQ(Hfsutils("hcopy -r :s2 -"), std::string(first.begin(), first.end()));
}

// cp takes its request size from st_blksize: a large file goes through
// in requests of 1 MB, not of one allocation block each.
TEST_F(TarvoMountTest, ALargeFileIsWrittenInLargeRequests) {
  const Bytes8 bytes = PatternBytes((2 << 20) + 777, 6);
  testing::WriteWholeFile(dir_.Path("large"), bytes);
  {
    auto mount = Mount({"-o", "debug"});
    MOUNT_OR_SKIP(mount);
    ASSERT_TRUE(Shell("cp " + dir_.Path("large") + " " + testing::ShellQuote(mount->Path("Large"))));
    const testing::CliResult ended = mount->Unmount();
    EXPECT_EQ(ended.exitCode, 0);
    EXPECT_TRUE(testing::Contains(ended.err, "1048576 bytes to 1048576 ")) << "no request of 1 MB";
  }
  EXPECT_EQ(Hfsutils("hcopy -r :Large -"), std::string(bytes.begin(), bytes.end()));
}

// POSIX keeps a deleted file readable until its last close, though its
// blocks are free for the next file written. Nothing of it stays in its
// folder, not even under a hidden name.
TEST_F(TarvoMountTest, AFileDeletedWhileOpenIsReadAsItWasUntilClosed) {
  const Bytes8 old = PatternBytes(300000, 7), alias = PatternBytes(300000, 14), other = PatternBytes(600000, 8);
  testing::WriteWholeFile(dir_.Path("old.bin"), old);
  testing::WriteWholeFile(dir_.Path("alias.bin"), alias);
  ASSERT_TRUE(testing::RunHfsutils(dir_.Path(""), image_,
                                   {"hmkdir :Folder", "hcopy -r " + dir_.Path("old.bin") + " :Folder:Old",
                                    "hcopy -r " + dir_.Path("alias.bin") + " :Alias"}));
  auto mount = Mount();
  MOUNT_OR_SKIP(mount);
  const int oldFd = ::open(mount->Path("Folder/Old").c_str(), O_RDONLY);
  const int aliasFd = ::open(mount->Path("Alias").c_str(), O_RDONLY);
  ASSERT_GE(oldFd, 0);
  ASSERT_GE(aliasFd, 0);
  ASSERT_EQ(::unlink(mount->Path("Folder/Old").c_str()), 0);
  // Another spelling of the same Macintosh name.
  ASSERT_EQ(::unlink(mount->Path("ALIAS").c_str()), 0);
  struct stat st {};
  ASSERT_EQ(::fstat(oldFd, &st), 0);
  EXPECT_EQ(st.st_size, static_cast<off_t>(old.size()));
  EXPECT_EQ(::rmdir(mount->Path("Folder").c_str()), 0) << std::strerror(errno);
  // The deletions are written; the next file takes the blocks they freed.
  ASSERT_TRUE(WriteDurably(mount->Path("Flushed"), PatternBytes(10, 9)));
  ASSERT_TRUE(WriteDurably(mount->Path("Other"), other));
  for (const auto& [fd, bytes] : {std::pair{oldFd, old}, std::pair{aliasFd, alias}}) {
    Bytes8 read(bytes.size() + 1);
    EXPECT_EQ(::pread(fd, read.data(), read.size(), 0), static_cast<ssize_t>(bytes.size()));
    read.resize(bytes.size());
    EXPECT_EQ(read, bytes);
    EXPECT_EQ(::close(fd), 0);
  }
  EXPECT_EQ(mount->Unmount().exitCode, 0);
  cli_.ExpectClean();
  EXPECT_EQ(Hfsutils("hls -1a"), "Flushed\nOther\n");
  EXPECT_EQ(Hfsutils("hcopy -r :Other -"), std::string(other.begin(), other.end()));
}

// A hard disk with two HFS partitions: --partition chooses the row of the
// partition chooser, counted from 0.
TEST_F(TarvoMountTest, ThePartitionOptionMountsTheChosenPartition) {
  constexpr std::uint32_t kFirst = 4000, kSecond = 8000, kStart = 64;
  testing::AppleMapImage medium(kStart + kFirst + kSecond);
  medium.Descriptor(kStart + kFirst + kSecond)
      .Entry(1, 3, 1, 63, "Apple", "Apple_partition_map")
      .Entry(2, 3, kStart, kFirst, "First", "Apple_HFS")
      .Entry(3, 3, kStart + kFirst, kSecond, "Second", "Apple_HFS");
  testing::WriteWholeFile(image_, medium.bytes);
  ASSERT_TRUE(testing::FormatHfsPartition(dir_.Path(""), image_, "One", 1));
  ASSERT_TRUE(testing::FormatHfsPartition(dir_.Path(""), image_, "Two", 2));
  struct statvfs first {}, second {};
  {
    auto mount = Mount({"--partition", "1"});
    MOUNT_OR_SKIP(mount);
    ASSERT_EQ(::statvfs(mount->Path("").c_str(), &second), 0);
    ASSERT_TRUE(WriteDurably(mount->Path("OnTwo"), PatternBytes(5000, 10)));
    EXPECT_EQ(mount->Unmount().exitCode, 0);
  }
  {
    auto mount = Mount({"--partition", "0"});
    MOUNT_OR_SKIP(mount);
    ASSERT_EQ(::statvfs(mount->Path("").c_str(), &first), 0);
    EXPECT_FALSE(fs::exists(mount->Path("OnTwo")));
    EXPECT_EQ(mount->Unmount().exitCode, 0);
  }
  // The second partition is the larger one.
  EXPECT_GT(std::uint64_t{second.f_blocks} * second.f_frsize, std::uint64_t{first.f_blocks} * first.f_frsize);
  const std::string listed = dir_.Path("listed");
  ASSERT_TRUE(Shell("HOME=" + testing::ShellQuote(dir_.Path("")) + " sh -c 'hmount " + image_ + " 2 && hls -1 >" +
                    listed + "; humount'"));
  EXPECT_EQ(testing::ReadWholeFile(listed), Bytes8({'O', 'n', 'T', 'w', 'o', '\n'}));
}

TEST_F(TarvoMountTest, TheMediumOfAWriteMountIsItsAlone) {
  {
    auto first = Mount();
    MOUNT_OR_SKIP(first);
    auto second = Mount({}, "second");
    EXPECT_FALSE(second->mounted());
    EXPECT_EQ(second->Ended().exitCode, 1);
    EXPECT_TRUE(testing::Contains(second->Ended().err, kInUse)) << second->Ended().err;
  }
  // Beside a running tarvo-cli only a read-only mount is made.
  ASSERT_TRUE(testing::RunHfsutils(dir_.Path(""), image_, {"hmkdir :Listed"}));
  testing::CliSession reader(cli_.Args({}));
  ASSERT_TRUE(reader.Send("DIR\n"));
  ASSERT_TRUE(reader.WaitForOutput("Listed"));
  auto writer = Mount();
  EXPECT_FALSE(writer->mounted());
  EXPECT_TRUE(testing::Contains(writer->Ended().err, kInUse)) << writer->Ended().err;
  auto readOnly = Mount({"-o", "ro"}, "ro");
  MOUNT_OR_SKIP(readOnly);
  EXPECT_EQ(::mkdir(readOnly->Path("No").c_str(), 0755), -1);
  EXPECT_EQ(errno, EROFS);
  EXPECT_EQ(readOnly->Unmount().exitCode, 0);
  reader.Finish();
}

}  // namespace
}  // namespace tarvo
