#include "maintenance/write_protect.h"

#include <array>

#include "base/engine.h"
#include "device/sector_io.h"

namespace tarvo {

WriteProtection WriteProtectProbe(Engine& ctx, std::uint8_t target) {
  // A whole physical sector, 1024 bytes on the largest media.
  std::array<std::uint8_t, 1024> sector{};
  SectorRequest request;
  request.command = kReadSectors;
  request.target = target;
  request.startSector = 0;
  request.sectorCount = 1;
  request.buffer = sector;
  if (SendSectorRequest(ctx, request) != SectorResult::kDone) return WriteProtection::kWritable;
  request.command = kWriteSectors;
  request.target = target;
  request.buffer = sector;
  return SendSectorRequest(ctx, request) != SectorResult::kDone ? WriteProtection::kProtected
                                                                : WriteProtection::kWritable;
}

}  // namespace tarvo
