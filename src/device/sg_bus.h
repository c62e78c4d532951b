// The Linux SCSI generic bus: real drives through SG_IO on /dev/sg nodes.
//
// Each SCSI host of the machine that has a generic node is one host
// adapter ("Linux SG host N"), numbered from 0 in ascending host number;
// its targets are those of LUN 0. The hosts are listed once, when the bus
// is made. A target's node is opened on first use and stays open while the
// bus lives.
//
// An exec request passes its CDB, direction, buffer and sense length to
// the drive unchanged, with a time limit of 60 s. SRB_Flags data-in and
// data-out choose the direction; neither (as the SCSI command layer sends
// INQUIRY and READ CAPACITY) lets the operation code decide, as ASPI does;
// both, or no buffer, mean no data phase. GOOD completes with status 1;
// CHECK CONDITION completes with status 4 and the drive's sense data; any
// other target status, and any failure of the host or of the kernel,
// completes with status 4 (and an adapter status for the latter).
//
// The device type is the one the system reports, else INQUIRY byte 0. A
// bus-device reset is a SG_SCSI_RESET of the device, which Linux allows
// the administrator only: for anyone else it completes with status 4,
// which the callers do not examine.
//
// A node is held shared from its opening (a drive busy with another
// program's update is still listed); ClaimMedium makes it exclusive.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "device/scsi_manager.h"
#include "device/sg_device_layer.h"

namespace tarvo {

class SgBus : public ScsiManager {
 public:
  explicit SgBus(std::unique_ptr<SgDeviceLayer> layer);
  ~SgBus() override;
  SgBus(const SgBus&) = delete;
  SgBus& operator=(const SgBus&) = delete;

  std::uint32_t GetSupportInfo() override;
  void SendCommand(Srb& srb) override;
  MediumLockResult ClaimMedium(std::uint8_t haId, std::uint8_t target) override;
  void ShareMedia() override;

 private:
  SgTarget* FindTarget(std::uint8_t haId, std::uint8_t target, std::uint8_t lun);
  int Descriptor(const SgTarget& target);
  void Execute(const SgTarget& target, Srb& srb);
  void DeviceType(SgTarget& target, Srb& srb);
  void Reset(const SgTarget& target, Srb& srb);

  std::unique_ptr<SgDeviceLayer> layer_;
  std::vector<SgHost> hosts_;
  std::map<std::string, int> open_;  // device path -> descriptor
};

}  // namespace tarvo
