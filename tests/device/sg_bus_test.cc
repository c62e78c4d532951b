#include "device/sg_bus.h"

#include <scsi/sg.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/big_endian.h"
#include "support/srb_builders.h"

namespace tarvo {
namespace {

using namespace tarvo::testing;

class FakeSgLayer : public SgDeviceLayer {
 public:
  std::vector<SgHost> ListHosts() override {
    return {{3, {{0, "/dev/sg0", 0}, {2, "/dev/sg1", std::nullopt}}}, {5, {{1, "/dev/sg2", 5}}}};
  }
  int Open(const std::string& devicePath) override {
    if (devicePath == unopenable) return -1;
    opened.push_back(devicePath);
    paths[nextFd] = devicePath;
    return nextFd++;
  }
  int Ioctl(int fd, unsigned long request, void* argument) override {
    EXPECT_TRUE(paths.count(fd)) << "ioctl on a descriptor that is not open";
    if (request == SG_SCSI_RESET) {
      EXPECT_EQ(*static_cast<int*>(argument), SG_SCSI_RESET_DEVICE);
      ++resets;
      return denyReset ? -1 : 0;
    }
    EXPECT_EQ(request, static_cast<unsigned long>(SG_IO));
    if (ioctlFails) return -1;
    auto& io = *static_cast<sg_io_hdr_t*>(argument);
    sent.push_back(io);
    cdbs.emplace_back(io.cmdp, io.cmdp + io.cmd_len);
    io.host_status = hostStatus;
    Answer(io);
    return 0;
  }
  void Close(int fd) override { *closed += static_cast<int>(paths.erase(fd)); }
  MediumLockResult Lock(int fd, bool exclusive) override {
    EXPECT_TRUE(paths.count(fd)) << "lock on a descriptor that is not open";
    if (exclusive && paths[fd] == usedElsewhere) return MediumLockResult::kInUse;
    locks[paths[fd]] = exclusive ? 'X' : 'S';
    return MediumLockResult::kHeld;
  }

  std::vector<std::uint8_t> medium = std::vector<std::uint8_t>(100 * 512);
  std::string unopenable;
  std::string usedElsewhere;             // another program holds this node
  std::map<std::string, char> locks;     // node -> 'S' shared, 'X' exclusive
  bool ioctlFails = false;
  bool denyReset = false;
  std::uint16_t hostStatus = 0;
  std::vector<std::string> opened;
  std::map<int, std::string> paths;
  int* closed = nullptr;  // outlives the layer, which the bus owns
  int resets = 0;
  std::vector<sg_io_hdr_t> sent;
  std::vector<std::vector<std::uint8_t>> cdbs;

 private:
  void Answer(sg_io_hdr_t& io) {
    auto* data = static_cast<std::uint8_t*>(io.dxferp);
    const std::uint8_t* cdb = io.cmdp;
    switch (cdb[0]) {
      case 0x12: {
        std::uint8_t reply[36] = {0, 0x80, 2, 2, 31};
        std::memcpy(reply + 8, "SyQuest SQ5110          1.05", 28);
        std::memcpy(data, reply, std::min<std::size_t>(sizeof reply, io.dxfer_len));
        return;
      }
      case 0x25:
        PutU32(Bytes(data, 8), 0, 99);
        PutU32(Bytes(data, 8), 4, 512);
        return;
      case 0x08: {
        const std::size_t block = std::size_t{cdb[1]} << 16 | cdb[2] << 8 | cdb[3];
        const std::size_t count = cdb[4] == 0 ? 256 : cdb[4];
        if (block + count > 100) return CheckCondition(io, 0x05, 0x21);
        std::memcpy(data, medium.data() + block * 512, count * 512);
        return;
      }
      default:
        return CheckCondition(io, 0x05, 0x20);
    }
  }
  static void CheckCondition(sg_io_hdr_t& io, std::uint8_t key, std::uint8_t asc) {
    std::uint8_t sense[18] = {0x70, 0, key, 0, 0, 0, 0, 10, 0, 0, 0, 0, asc};
    io.status = 0x02;
    io.masked_status = 0x01;
    io.driver_status = 0x08;  // sense data follow
    io.sb_len_wr = std::min<unsigned char>(sizeof sense, io.mx_sb_len);
    std::memcpy(io.sbp, sense, io.sb_len_wr);
  }

  int nextFd = 10;
};

class SgBusTest : public ::testing::Test {
 protected:
  SgBusTest() {
    auto layer = std::make_unique<FakeSgLayer>();
    fake = layer.get();
    fake->closed = &closed;
    bus = std::make_unique<SgBus>(std::move(layer));
  }

  int closed = 0;
  FakeSgLayer* fake;
  std::unique_ptr<SgBus> bus;
};

TEST(SgDeviceLayer, GroupsLunZeroByHost) {
  const std::vector<SgHost> hosts = GroupSgNodes({
      {"/dev/sg4", {7, 1, 2, 0}, std::nullopt},
      {"/dev/sg3", {7, 0, 2, 0}, 0},
      {"/dev/sg2", {7, 0, 2, 1}, 0},  // LUN 1: not ours
      {"/dev/sg1", {1, 0, 5, 0}, 5},
      {"/dev/sg0", {7, 0, 0, 0}, 0},
  });
  ASSERT_EQ(hosts.size(), 2u);
  EXPECT_EQ(hosts[0].hostNumber, 1);
  ASSERT_EQ(hosts[1].targets.size(), 2u);
  EXPECT_EQ(hosts[1].targets[0].devicePath, "/dev/sg0");
  EXPECT_EQ(hosts[1].targets[1].devicePath, "/dev/sg3");  // channel 0 wins
}

TEST_F(SgBusTest, OneAdapterPerHostWithItsTargets) {
  Srb ha = HaInquirySrb(1);
  EXPECT_EQ(SendAndWait(*bus, ha), kSsComp);
  EXPECT_EQ(ha.haCount, 2);
  Srb noHa = HaInquirySrb(2);
  EXPECT_EQ(SendAndWait(*bus, noHa), kSsInvalidHa);
  EXPECT_EQ(noHa.haCount, 0);

  Srb known = DeviceTypeSrb(0, 0);
  EXPECT_EQ(SendAndWait(*bus, known), kSsComp);
  EXPECT_EQ(known.deviceType, 0);
  EXPECT_TRUE(fake->sent.empty());  // taken from the system's listing
  Srb asked = DeviceTypeSrb(0, 2);
  EXPECT_EQ(SendAndWait(*bus, asked), kSsComp);
  EXPECT_EQ(asked.deviceType, 0);
  ASSERT_EQ(fake->cdbs.size(), 1u);
  EXPECT_EQ(fake->cdbs[0][0], 0x12);
  Srb cdrom = DeviceTypeSrb(1, 1);
  EXPECT_EQ(SendAndWait(*bus, cdrom), kSsComp);
  EXPECT_EQ(cdrom.deviceType, 5);
  Srb empty = DeviceTypeSrb(0, 1);
  EXPECT_EQ(SendAndWait(*bus, empty), kSsNoDevice);
  Srb otherLun = DeviceTypeSrb(0, 0);
  otherLun.lun = 1;
  EXPECT_EQ(SendAndWait(*bus, otherLun), kSsNoDevice);
}

TEST_F(SgBusTest, PassesCommandsThroughUnchanged) {
  std::vector<std::uint8_t> data(100);
  Srb inquiry = InquirySrb(0, 0, data);
  ASSERT_EQ(SendAndWait(*bus, inquiry), kSsComp);
  EXPECT_EQ(std::string(data.begin() + 16, data.begin() + 22), "SQ5110");
  const sg_io_hdr_t& io = fake->sent.back();
  EXPECT_EQ(io.dxfer_direction, SG_DXFER_FROM_DEV);  // no flags: INQUIRY reads
  EXPECT_EQ(io.dxfer_len, 100u);
  EXPECT_EQ(io.mx_sb_len, 0);
  EXPECT_EQ(io.cmd_len, 6);
  EXPECT_EQ(fake->cdbs.back(), (std::vector<std::uint8_t>{0x12, 0, 0, 0, 100, 0}));

  std::vector<std::uint8_t> capacity(512);
  Srb readCapacity = ReadCapacitySrb(0, 0, capacity);
  ASSERT_EQ(SendAndWait(*bus, readCapacity), kSsComp);
  EXPECT_EQ(GetU32(capacity, 0), 99u);

  PutU32(fake->medium, 7 * 512, 0xFEEDu);
  std::vector<std::uint8_t> block(2 * 512);
  Srb read = ReadWrite6Srb(0, 0, false, 6, 2, block);
  ASSERT_EQ(SendAndWait(*bus, read), kSsComp);
  EXPECT_EQ(GetU32(block, 512), 0xFEEDu);

  Srb past = ReadWrite6Srb(0, 0, false, 99, 2, block);
  ASSERT_EQ(SendAndWait(*bus, past), kSsErr);
  EXPECT_EQ(past.targetStat, 0x02);
  EXPECT_EQ(SenseKey(past), kSenseIllegalRequest);
  EXPECT_EQ(SenseCode(past), 0x21);
  EXPECT_EQ(fake->sent.back().mx_sb_len, 20);

  Srb write = ReadWrite6Srb(0, 0, true, 0, 1, block);
  write.flags = 0;  // the operation code decides
  SendAndWait(*bus, write);
  EXPECT_EQ(fake->sent.back().dxfer_direction, SG_DXFER_TO_DEV);
  Srb verify = Verify10Srb(0, 0, 0, 10);
  SendAndWait(*bus, verify);
  EXPECT_EQ(fake->sent.back().dxfer_direction, SG_DXFER_NONE);

  EXPECT_EQ(fake->opened, (std::vector<std::string>{"/dev/sg0"}));  // opened once
  bus.reset();
  EXPECT_EQ(closed, 1);
}

TEST_F(SgBusTest, TransportFailuresCompleteWithError) {
  std::vector<std::uint8_t> block(512);
  fake->hostStatus = 0x01;  // no connection
  Srb lost = ReadWrite6Srb(0, 0, false, 0, 1, block);
  EXPECT_EQ(SendAndWait(*bus, lost), kSsErr);
  EXPECT_NE(lost.haStat, 0);
  fake->hostStatus = 0;
  fake->ioctlFails = true;
  Srb refused = ReadWrite6Srb(0, 0, false, 0, 1, block);
  EXPECT_EQ(SendAndWait(*bus, refused), kSsErr);
  fake->unopenable = "/dev/sg2";
  Srb closed = ReadWrite6Srb(1, 1, false, 0, 1, block);
  EXPECT_EQ(SendAndWait(*bus, closed), kSsErr);

  Srb reset = ResetSrb(0, 0);
  EXPECT_EQ(SendAndWait(*bus, reset), kSsComp);
  fake->denyReset = true;
  EXPECT_EQ(SendAndWait(*bus, reset), kSsErr);
  EXPECT_EQ(fake->resets, 2);
}

TEST_F(SgBusTest, ADriveIsHeldSharedAndClaimedExclusiveForAnUpdate) {
  EXPECT_EQ(bus->ClaimMedium(0, 0), MediumLockResult::kHeld);
  EXPECT_EQ(fake->locks, (std::map<std::string, char>{{"/dev/sg0", 'X'}}));
  EXPECT_EQ(bus->ClaimMedium(0, 7), MediumLockResult::kHeld);  // no such drive: nothing to hold
  fake->usedElsewhere = "/dev/sg2";
  EXPECT_EQ(bus->ClaimMedium(1, 1), MediumLockResult::kInUse);
  bus->ShareMedia();
  EXPECT_EQ(fake->locks, (std::map<std::string, char>{{"/dev/sg0", 'S'}, {"/dev/sg2", 'S'}}));
}

}  // namespace
}  // namespace tarvo
