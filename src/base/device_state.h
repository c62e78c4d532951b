// The selected drive and how sectors reach it.
//
// Sector unit: every sector number of the engine counts 512-byte logical
// sectors from the start of the medium, on every medium. On a medium with
// 1024-byte physical sectors the 1024-byte entry point maps logical sectors
// onto physical ones, and block numbers read from a driver descriptor or a
// partition map are converted from the medium's block size when they are
// read. Nothing else in the system ever counts in 1024-byte units.
#pragma once

#include <cstdint>

namespace tarvo {

inline constexpr std::uint8_t kNoDevice = 255;

// The transport: 1 = the SCSI manager; 255 = none chosen yet.
enum class AdapterKind : std::uint8_t { kAspi = 1, kNone = 255 };

struct SectorUndo;

// Which sector entry point serves the medium.
enum class SectorEntryKind { k512, k1024 };

struct DeviceState {
  std::uint8_t hostAdapterId = kNoDevice;
  bool resetBeforeTransfer = false;  // "Reset drive": a bus-device reset before every attempt
  SectorEntryKind sectorEntry = SectorEntryKind::k512;
  SectorUndo* undo = nullptr;  // an update that can be taken back is open (sector_undo.h)
  bool mediumClaimed = false;  // a medium is held exclusive for this command's writes (write_claim.h)
};

}  // namespace tarvo
