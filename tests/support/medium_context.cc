#include "support/medium_context.h"

#include <stdexcept>

#include "device/blank_image.h"
#include "device/cdb_fields.h"
#include "hfs/work_file.h"

namespace tarvo::testing {

MediumContext::~MediumContext() { CloseWorkFiles(ctx); }

std::string MediumContext::Insert(const std::vector<std::uint8_t>& bytes, std::uint16_t blockSize) {
  const std::string path = dir_.Path("medium" + std::to_string(images_++) + ".img");
  WriteWholeFile(path, bytes);
  Attach({path, false, blockSize});
  return path;
}

std::string MediumContext::InsertBlank(int megabytes) {
  const std::string path = dir_.Path("medium" + std::to_string(images_++) + ".img");
  if (std::string error = CreateBlankImage(path, megabytes); !error.empty()) throw std::runtime_error(error);
  Attach({path, false, 512});
  return path;
}

void MediumContext::Attach(const ImageSpec& image) {
  bus_ = std::make_unique<ImageBus>();
  if (std::string error = bus_->Attach(image); !error.empty()) throw std::runtime_error(error);
  faults = std::make_unique<FaultBus>(*bus_);
  ctx.scsi = faults.get();
  ctx.device.hostAdapterId = 0;
  ctx.volume.adapterKind = AdapterKind::kAspi;
  ctx.volume.targetId = 0;
  ctx.volume.sectorSize = image.blockSize;
  ctx.volume.deviceSectors = 0;
  ctx.device.sectorEntry = image.blockSize == 1024 ? SectorEntryKind::k1024 : SectorEntryKind::k512;
}

std::vector<MediumContext::Range> MediumContext::Reads() const {
  std::vector<Range> reads;
  for (const Srb& srb : faults->sent) {
    if (srb.command != SrbCommand::kExecScsiCmd || !IsRead(srb)) continue;
    const BlockRange range = DecodeBlockRange(srb);
    reads.push_back({range.first, range.count});
  }
  return reads;
}

}  // namespace tarvo::testing
