// The SCSI manager port: our stand-in for the ASPI manager.
//
// A caller fills one SCSI request block (`Srb`), sends it, and polls its
// status byte until it is no longer pending. The request forms are the four
// that the ASPI interface publishes: host adapter inquiry, get device type,
// execute a SCSI command and bus-device reset. Backends: the image bus
// (emulated cartridge drives over image files), Linux SG_IO for real drives,
// a bus that joins several backends under consecutive adapter numbers, and
// a fault-injecting wrapper for tests.
//
// Beside the requests, the port holds the drives' media locked between
// programs (medium_lock.h): a backend holds every medium it serves shared,
// exclusive between ClaimMedium and the next ShareMedia. A backend without
// such locks grants every claim.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "device/medium_lock.h"

namespace tarvo {

// ASPI status bytes.
inline constexpr std::uint8_t kSsPending = 0;
inline constexpr std::uint8_t kSsComp = 1;
inline constexpr std::uint8_t kSsErr = 4;
inline constexpr std::uint8_t kSsInvalidHa = 0x81;
inline constexpr std::uint8_t kSsNoDevice = 0x82;
inline constexpr std::uint8_t kSsInvalidSrb = 0xE0;

enum class SrbCommand : std::uint8_t {
  kHaInquiry = 0,
  kGetDeviceType = 1,
  kExecScsiCmd = 2,
  kBusDeviceReset = 4,
};

inline constexpr std::uint8_t kSrbDirIn = 0x08;
inline constexpr std::uint8_t kSrbDirOut = 0x10;

inline constexpr std::uint8_t kDeviceTypeDirectAccess = 0;

struct Srb {
  SrbCommand command = SrbCommand::kHaInquiry;
  std::uint8_t status = kSsPending;
  std::uint8_t haId = 0;
  std::uint8_t flags = 0;
  std::uint8_t target = 0;
  std::uint8_t lun = 0;
  // Host adapter inquiry replies.
  std::uint8_t haCount = 0;
  std::array<char, 16> managerId{};
  // Get device type reply.
  std::uint8_t deviceType = 0;
  // Execute SCSI command.
  std::uint32_t bufLen = 0;
  std::uint8_t* buffer = nullptr;
  std::uint8_t senseLen = 0;
  std::uint8_t cdbLen = 0;
  std::uint8_t haStat = 0;
  std::uint8_t targetStat = 0;
  std::array<std::uint8_t, 16> cdb{};
  std::array<std::uint8_t, 32> sense{};
};

class ScsiManager {
 public:
  virtual ~ScsiManager() = default;
  // Bits 8..15: status (1 when the manager is usable); bits 0..7: the number
  // of host adapters.
  virtual std::uint32_t GetSupportInfo() = 0;
  // Starts the request. It may complete at once or leave `status` pending.
  virtual void SendCommand(Srb& srb) = 0;
  // Lets a pending request progress; called while `status` is pending.
  virtual void Poll(Srb& srb) { (void)srb; }

  // Makes the drive's medium this program's alone, for writing: kInUse
  // while another program uses it. A medium that refuses writes anyway (a
  // read-only image) is granted and stays shared.
  virtual MediumLockResult ClaimMedium(std::uint8_t haId, std::uint8_t target) {
    (void)haId;
    (void)target;
    return MediumLockResult::kHeld;
  }
  // Every claimed medium goes back to shared: the update is over, and other
  // programs may read it again.
  virtual void ShareMedia() {}
  // Why nobody may write the drive's medium now, whatever the locks say (a
  // block device the system has mounted), or "".
  virtual std::string WriteRefusal(std::uint8_t haId, std::uint8_t target) {
    (void)haId;
    (void)target;
    return "";
  }
};

// Sense keys and the fixed-format sense data that backends report.
inline constexpr std::uint8_t kSenseNotReady = 0x02;
inline constexpr std::uint8_t kSenseMediumError = 0x03;
inline constexpr std::uint8_t kSenseIllegalRequest = 0x05;
inline constexpr std::uint8_t kSenseDataProtect = 0x07;

// Completes `srb` with status 4 and fixed-format sense data (key, ASC).
void FailWithSense(Srb& srb, std::uint8_t senseKey, std::uint8_t asc);

}  // namespace tarvo
