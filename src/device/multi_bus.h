// Several SCSI manager backends joined under consecutive adapter numbers.
//
// Backends answer in the order they were added: the first backend's
// adapters are 0..n1-1, the next backend's follow, and so on (the image bus
// is adapter 0, the Linux SCSI hosts 1, 2, ...). A request goes to the
// backend that owns its adapter number, translated to that backend's own
// numbering and back when it completes; a host adapter inquiry reports the
// total number of adapters of all backends. A backend whose support status
// is not 1 contributes no adapters. A claim and the question of a write
// refusal go to the backend of its adapter, as a request does; ShareMedia
// to every backend. The backends are
// not owned and must outlive the bus.
#pragma once

#include <cstdint>
#include <vector>

#include "device/scsi_manager.h"

namespace tarvo {

class MultiBus : public ScsiManager {
 public:
  void Add(ScsiManager& backend) { backends_.push_back(&backend); }

  // Status 1 when any backend is usable; the adapter count is the total
  // (at most 255).
  std::uint32_t GetSupportInfo() override;
  void SendCommand(Srb& srb) override;
  void Poll(Srb& srb) override;
  MediumLockResult ClaimMedium(std::uint8_t haId, std::uint8_t target) override;
  void ShareMedia() override;
  std::string WriteRefusal(std::uint8_t haId, std::uint8_t target) override;

 private:
  struct Route {
    ScsiManager* backend = nullptr;
    std::uint8_t firstAdapter = 0;  // the backend's adapter 0 on this bus
    std::uint8_t totalAdapters = 0;
  };
  struct InFlight {
    const Srb* srb;
    Route route;
  };

  Route RouteOf(std::uint8_t haId);
  static void Finish(Srb& srb, const Route& route);

  std::vector<ScsiManager*> backends_;
  std::vector<InFlight> inFlight_;
};

}  // namespace tarvo
