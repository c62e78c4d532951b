// A configurable SCSI manager for tests: host adapters with drives that
// answer INQUIRY and READ CAPACITY as told, and a record of every request.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "device/scsi_manager.h"

namespace tarvo::testing {

struct FakeDrive {
  std::uint8_t deviceType = kDeviceTypeDirectAccess;
  std::string vendor = "SyQuest";
  std::string product = "SQ5200C";
  std::string revision = "1.0";
  int inquiryFailures = 0;  // INQUIRY attempts that complete with status 4 first
  int capacityFailures = 0;  // READ CAPACITY attempts that fail first (not ready)
  std::uint32_t lastBlock = 86699;
  std::uint32_t blockLength = 512;
};

struct FakeAdapter {
  std::string managerName = "FAKE ASPI";
  std::map<std::uint8_t, FakeDrive> targets;
};

class FakeScsiBus : public ScsiManager {
 public:
  std::vector<FakeAdapter> adapters;
  std::uint8_t supportStatus = kSsComp;

  // Every request, as sent (buffer pointers are not to be followed).
  std::vector<Srb> sent;

  std::uint32_t GetSupportInfo() override;
  void SendCommand(Srb& srb) override;

  // How many requests of a kind (and, for SCSI commands, with that opcode).
  int Count(SrbCommand command, int opcode = -1) const;

 private:
  FakeDrive* Find(const Srb& srb);
  void Execute(Srb& srb, FakeDrive& drive);
};

// Inquiry and capacity opcodes, for Count().
inline constexpr int kOpInquiry = 0x12;
inline constexpr int kOpReadCapacity = 0x25;

}  // namespace tarvo::testing
