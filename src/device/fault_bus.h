// A fault-injecting wrapper over any SCSI manager backend, for tests.
//
// Requests pass to the inner backend unchanged unless a knob below makes
// them fail first. Block numbers are the CDB's, in the drive's own block
// size, and apply to every target. A failed request completes with status
// 4 and fixed-format sense data and transfers nothing:
//   - a READ(6) or VERIFY(10) touching an unreadable block: MEDIUM ERROR
//     (unrecovered read error);
//   - any exec request while the drive is not ready: NOT READY;
//   - a WRITE(6) when all writes fail, or touching an unwritable block:
//     MEDIUM ERROR (write error).
// Every request is recorded as sent, before any fault or delay applies.
#pragma once

#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "device/scsi_manager.h"

namespace tarvo {

class FaultBus : public ScsiManager {
 public:
  explicit FaultBus(ScsiManager& inner) : inner_(inner) {}

  std::set<std::uint32_t> unreadableSectors;
  // The next this many exec requests fail with NOT READY.
  int notReadyCommands = 0;
  bool failAllWrites = false;
  std::set<std::uint32_t> unwritableSectors;
  // Each request stays pending for this many calls of Poll, then runs.
  int pendingPolls = 0;
  // Bus-device resets seen; they still reach the inner backend.
  int resetCount = 0;
  // A copy of every request block at the time it was sent.
  std::vector<Srb> sent;

  std::uint32_t GetSupportInfo() override { return inner_.GetSupportInfo(); }
  void SendCommand(Srb& srb) override;
  void Poll(Srb& srb) override;

 private:
  void Perform(Srb& srb);

  ScsiManager& inner_;
  std::vector<std::pair<const Srb*, int>> delayed_;  // request, polls still to wait
};

}  // namespace tarvo
