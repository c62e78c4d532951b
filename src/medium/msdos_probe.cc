#include "medium/msdos_probe.h"

#include <algorithm>
#include <vector>

#include "base/big_endian.h"
#include "base/engine.h"
#include "device/sector_io.h"

namespace tarvo {

std::int32_t MsDosProbe(Engine& ctx) {
  std::vector<std::uint8_t> sector = AllocZeroed(ctx, std::max<std::size_t>(ctx.volume.sectorSize, 512));
  SectorRequest request;
  request.command = kScsiRead6;
  request.target = ctx.volume.targetId;
  request.startSector = 0;
  request.sectorCount = 1;
  request.buffer = sector;
  SendSectorRequest(ctx, request);  // a failed read leaves zeros: not MS-DOS

  if (GetU8(sector, 510) != 0x55 || GetU8(sector, 511) != 0xAA) return 0;
  if (GetU8(sector, 0) != 0xEB) return -2;
  // Byte 29 is 0 on many DOS boot sectors; they are MS-DOS all the same.
  const std::uint8_t byte29 = GetU8(sector, 29);
  return byte29 != 0 ? -std::int32_t{byte29} : -1;
}

}  // namespace tarvo
