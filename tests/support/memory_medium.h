// A SCSI manager with one drive at adapter 0, target 0 whose medium is a
// byte vector in memory: READ(6) and WRITE(6) move its bytes, and a request
// that reaches past its end fails with ILLEGAL REQUEST. Every request's
// block range is recorded.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/context.h"
#include "device/scsi_manager.h"
#include "ui/scripted_ui.h"

namespace tarvo::testing {

class MemoryMedium : public ScsiManager {
 public:
  MemoryMedium(std::vector<std::uint8_t> bytes, std::uint16_t blockSize = 512)
      : bytes(std::move(bytes)), blockSize(blockSize) {}

  std::vector<std::uint8_t> bytes;
  std::uint16_t blockSize;
  // Physical block ranges of the READ(6) requests, in order.
  struct Range {
    std::uint32_t first, count;
  };
  std::vector<Range> reads;

  std::uint32_t GetSupportInfo() override { return kSsComp << 8 | 1; }
  void SendCommand(Srb& srb) override;
};

// Points `ctx` at the medium's drive as drive selection would leave it:
// adapter 0, target 0, its sector size and entry point, no capacity known.
void AttachMedium(Context& ctx, MemoryMedium& medium);

// A context with the scripted user interface and a medium in the drive.
struct MediumContext {
  ScriptedUi ui;
  std::unique_ptr<MemoryMedium> medium;
  Context ctx;

  MediumContext() { ctx.ui = &ui; }
  MemoryMedium& Insert(std::vector<std::uint8_t> bytes, std::uint16_t blockSize = 512) {
    medium = std::make_unique<MemoryMedium>(std::move(bytes), blockSize);
    AttachMedium(ctx, *medium);
    return *medium;
  }
};

}  // namespace tarvo::testing
