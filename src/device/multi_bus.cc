#include "device/multi_bus.h"

#include <algorithm>

namespace tarvo {

namespace {

// The adapters a backend contributes: none unless it is usable.
unsigned AdaptersOf(ScsiManager& backend) {
  const std::uint32_t info = backend.GetSupportInfo();
  return (info >> 8 & 0xFF) == kSsComp ? info & 0xFF : 0;
}

}  // namespace

std::uint32_t MultiBus::GetSupportInfo() {
  unsigned total = 0;
  bool usable = false;
  for (ScsiManager* backend : backends_) {
    usable = usable || (backend->GetSupportInfo() >> 8 & 0xFF) == kSsComp;
    total += AdaptersOf(*backend);
  }
  return std::uint32_t{usable ? kSsComp : kSsErr} << 8 | std::min(total, 255u);
}

void MultiBus::SendCommand(Srb& srb) {
  std::erase_if(inFlight_, [&srb](const InFlight& entry) { return entry.srb == &srb; });
  const Route route = RouteOf(srb.haId);
  if (route.backend == nullptr) {
    srb.haCount = 0;
    srb.status = kSsInvalidHa;
    return;
  }
  srb.haId = static_cast<std::uint8_t>(srb.haId - route.firstAdapter);
  route.backend->SendCommand(srb);
  if (srb.status == kSsPending) {
    inFlight_.push_back({&srb, route});
    return;
  }
  Finish(srb, route);
}

void MultiBus::Poll(Srb& srb) {
  const auto entry =
      std::find_if(inFlight_.begin(), inFlight_.end(), [&srb](const InFlight& e) { return e.srb == &srb; });
  if (entry == inFlight_.end()) return;
  const Route route = entry->route;
  route.backend->Poll(srb);
  if (srb.status == kSsPending) return;
  inFlight_.erase(entry);
  Finish(srb, route);
}

MediumLockResult MultiBus::ClaimMedium(std::uint8_t haId, std::uint8_t target) {
  const Route route = RouteOf(haId);
  if (route.backend == nullptr) return MediumLockResult::kHeld;
  return route.backend->ClaimMedium(static_cast<std::uint8_t>(haId - route.firstAdapter), target);
}

std::string MultiBus::WriteRefusal(std::uint8_t haId, std::uint8_t target) {
  const Route route = RouteOf(haId);
  if (route.backend == nullptr) return "";
  return route.backend->WriteRefusal(static_cast<std::uint8_t>(haId - route.firstAdapter), target);
}

void MultiBus::ShareMedia() {
  for (ScsiManager* backend : backends_) backend->ShareMedia();
}

MultiBus::Route MultiBus::RouteOf(std::uint8_t haId) {
  Route found;
  unsigned first = 0;
  for (ScsiManager* backend : backends_) {
    const unsigned count = AdaptersOf(*backend);
    if (found.backend == nullptr && haId >= first && haId < first + count) {
      found.backend = backend;
      found.firstAdapter = static_cast<std::uint8_t>(first);
    }
    first += count;
  }
  found.totalAdapters = static_cast<std::uint8_t>(std::min(first, 255u));
  return found;
}

void MultiBus::Finish(Srb& srb, const Route& route) {
  srb.haId = static_cast<std::uint8_t>(srb.haId + route.firstAdapter);
  if (srb.command == SrbCommand::kHaInquiry && srb.status == kSsComp) srb.haCount = route.totalAdapters;
}

}  // namespace tarvo
