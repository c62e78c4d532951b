#include "device/fault_bus.h"

#include <algorithm>

#include "device/cdb_fields.h"

namespace tarvo {

namespace {

bool TouchesAny(const std::set<std::uint32_t>& blocks, BlockRange range) {
  const auto first = blocks.lower_bound(range.first);
  return first != blocks.end() && range.Touches(*first);
}

}  // namespace

void FaultBus::SendCommand(Srb& srb) {
  sent.push_back(srb);
  std::erase_if(delayed_, [&srb](const auto& entry) { return entry.first == &srb; });
  if (srb.command == SrbCommand::kBusDeviceReset) ++resetCount;
  if (pendingPolls > 0) {
    srb.status = kSsPending;
    delayed_.emplace_back(&srb, pendingPolls);
    return;
  }
  Perform(srb);
}

void FaultBus::Poll(Srb& srb) {
  const auto entry = std::find_if(delayed_.begin(), delayed_.end(), [&srb](const auto& e) { return e.first == &srb; });
  if (entry == delayed_.end()) return inner_.Poll(srb);
  if (--entry->second > 0) return;
  delayed_.erase(entry);
  Perform(srb);
}

void FaultBus::Perform(Srb& srb) {
  if (srb.command != SrbCommand::kExecScsiCmd) return inner_.SendCommand(srb);
  if (notReadyCommands > 0) {
    --notReadyCommands;
    return FailWithSense(srb, kSenseNotReady, kAscNotReady);
  }
  switch (srb.cdb[0]) {
    case kOpRead6:
    case kOpRead10:
    case kOpVerify10:
      if (TouchesAny(unreadableSectors, DecodeBlockRange(srb))) {
        return FailWithSense(srb, kSenseMediumError, kAscUnrecoveredReadError);
      }
      break;
    case kOpWrite6:
    case kOpWrite10:
      if (FailsAsChosenWrite(srb) || failAllWrites || TouchesAny(unwritableSectors, DecodeBlockRange(srb))) {
        return FailWithSense(srb, kSenseMediumError, kAscWriteError);
      }
      break;
    default:
      break;
  }
  inner_.SendCommand(srb);
  if (performed) performed(srb);
}

bool FaultBus::FailsAsChosenWrite(const Srb& srb) {
  std::vector<std::uint8_t> request(srb.cdb.begin(), srb.cdb.begin() + CdbLengthOf(srb.cdb[0]));
  if (srb.buffer != nullptr) request.insert(request.end(), srb.buffer, srb.buffer + srb.bufLen);
  if (!failedWrite_.empty() && request == failedWrite_) return true;  // a retry of the chosen write
  failedWrite_.clear();
  if (++writesSeen != failWriteNumber) return false;
  failedWrite_ = std::move(request);
  return true;
}

}  // namespace tarvo
