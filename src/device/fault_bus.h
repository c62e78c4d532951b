// A fault-injecting wrapper over any SCSI manager backend, for tests.
//
// Requests pass to the inner backend unchanged unless a knob below makes
// them fail first. Block numbers are the CDB's, in the drive's own block
// size, and apply to every target. A failed request completes with status
// 4 and fixed-format sense data and transfers nothing:
//   - a READ(6), READ(10) or VERIFY(10) touching an unreadable block:
//     MEDIUM ERROR (unrecovered read error);
//   - any exec request while the drive is not ready: NOT READY;
//   - a WRITE(6) or WRITE(10) when all writes fail, touching an unwritable
//     block, or being the n-th write chosen to fail: MEDIUM ERROR (write
//     error).
// A write is the n-th when it is the n-th distinct write seen: the
// retries of the sector layer send the same request again (the same CDB
// and the same data) and are not counted, and fail as the first sending
// did, so the fault is not hidden by them. Any other write ends the fault.
// Every request is recorded as sent, before any fault or delay applies.
// An exec request that reached the inner backend is shown to `performed`, if
// set, once the backend returned: a test may look at the medium there,
// or end the process, as a crash at that point would.
// Claims and ShareMedia pass to the inner backend.
#pragma once

#include <cstdint>
#include <functional>
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
  // The n-th distinct write fails (1 = the first); 0: none. A test runs
  // an operation fault-free first to learn from writesSeen how many there are.
  int failWriteNumber = 0;
  // Distinct write requests seen.
  int writesSeen = 0;
  // Each request stays pending for this many calls of Poll, then runs.
  int pendingPolls = 0;
  // Bus-device resets seen; they still reach the inner backend.
  int resetCount = 0;
  // A copy of every request block at the time it was sent.
  std::vector<Srb> sent;
  std::function<void(const Srb&)> performed;

  std::uint32_t GetSupportInfo() override { return inner_.GetSupportInfo(); }
  void SendCommand(Srb& srb) override;
  void Poll(Srb& srb) override;
  MediumLockResult ClaimMedium(std::uint8_t haId, std::uint8_t target) override {
    return inner_.ClaimMedium(haId, target);
  }
  void ShareMedia() override { inner_.ShareMedia(); }
  std::string WriteRefusal(std::uint8_t haId, std::uint8_t target) override {
    return inner_.WriteRefusal(haId, target);
  }

 private:
  void Perform(Srb& srb);
  bool FailsAsChosenWrite(const Srb& srb);

  ScsiManager& inner_;
  std::vector<std::pair<const Srb*, int>> delayed_;  // request, polls still to wait
  std::vector<std::uint8_t> failedWrite_;             // CDB and data of the chosen write, while it is retried
};

}  // namespace tarvo
