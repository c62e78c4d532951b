#include "device/system_mounts.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <map>

#include <gtest/gtest.h>

#include "support/loop_device.h"
#include "support/scratch_files.h"

namespace tarvo {
namespace {

using namespace tarvo::testing;

TEST(FindSystemMount, FindsTheDeviceAndItsPartitionsByNumber) {
  const dev_t sdb = makedev(8, 16), sdb1 = makedev(8, 17), sdc = makedev(8, 32), sdd = makedev(8, 48);
  const std::map<std::string, std::vector<dev_t>> nodes = {
      {"/dev/sdb1", {sdb1, sdb}}, {"/dev/sdc1", {makedev(8, 33), sdc}}, {"/dev/sdd", {sdd}},
      {"/dev/disk/by-label/CARD", {sdb1, sdb}}};
  const BlockDevicesOf devicesOf = [&nodes](const std::string& source) {
    const auto node = nodes.find(source);
    return node == nodes.end() ? std::vector<dev_t>{} : node->second;
  };
  const std::string mounts =
      "proc /proc proc rw,relatime 0 0\n"
      "/dev/sdc1 /media/other vfat rw 0 0\n"
      "/dev/sdb1 /media/My\\040Card hfs rw,nosuid 0 0\n"
      "/dev/sdd /mnt hfs ro 0 0";  // the last line without its end
  const std::optional<SystemMount> card = FindSystemMount(mounts, sdb, devicesOf);
  ASSERT_TRUE(card);
  EXPECT_EQ(card->source, "/dev/sdb1");
  EXPECT_EQ(card->mountPoint, "/media/My Card");
  EXPECT_TRUE(FindSystemMount(mounts, sdb1, devicesOf));
  EXPECT_TRUE(FindSystemMount(mounts, sdd, devicesOf));
  EXPECT_FALSE(FindSystemMount(mounts, makedev(8, 64), devicesOf));
  EXPECT_FALSE(FindSystemMount(mounts, sdb, [](const std::string&) { return std::vector<dev_t>{}; }));
  EXPECT_FALSE(FindSystemMount("", sdb, devicesOf));
}

// A partition of a loop device, found from the mount table's name of it
// through the system's own device nodes and /sys.
TEST(FindSystemMount, APartitionOfARealDeviceOccupiesTheDevice) {
  ScratchDir dir;
  const std::string image = dir.Path("card.img");
  std::vector<std::uint8_t> bytes(1 << 20);
  const std::size_t entry = 446;  // the first partition of a PC partition table
  bytes[entry + 4] = 0x83;
  bytes[entry + 8] = 64;    // the start, little-endian: sector 64
  bytes[entry + 13] = 0x04;  // the length: 1024 sectors
  bytes[510] = 0x55;
  bytes[511] = 0xAA;
  WriteWholeFile(image, bytes);
  const LoopDevice loop(image, "-P");
  if (loop.path.empty()) GTEST_SKIP() << loop.skipReason;
  struct stat disk {};
  ASSERT_EQ(::stat(loop.path.c_str(), &disk), 0);
  const std::string partition = loop.path + "p1";
  if (::access(partition.c_str(), F_OK) != 0) GTEST_SKIP() << "this system reads no PC partition table";
  ASSERT_EQ(SystemBlockDevices(partition).size(), 2u) << partition;

  const std::optional<SystemMount> mount =
      FindSystemMount("tmpfs /tmp tmpfs rw 0 0\n" + partition + " /media/card hfs rw 0 0\n", disk.st_rdev,
                      SystemBlockDevices);
  ASSERT_TRUE(mount);
  EXPECT_EQ(mount->source, partition);
  EXPECT_TRUE(FindSystemMount(loop.path + " /media/card hfs rw 0 0\n", disk.st_rdev, SystemBlockDevices));
  EXPECT_FALSE(SystemMountOf(disk.st_rdev));  // nothing mounts a device just made
}

}  // namespace
}  // namespace tarvo
