#include "device/sector_undo.h"

#include <algorithm>
#include <vector>

#include "base/context.h"
#include "device/sector_io.h"

namespace tarvo {

namespace {

constexpr std::size_t kSector = 512;

// Moves `count` sectors from `first` on between the medium and the first
// count * 512 bytes of `buffer`, which it grows to leave room for the
// 1024-byte entry point.
std::uint16_t Transfer(Context& ctx, std::uint16_t command, std::uint32_t first, std::uint16_t count,
                       std::vector<std::uint8_t>& buffer);
bool HoldsOriginals(Context& ctx, std::uint32_t first, std::uint16_t count, const std::vector<std::uint8_t>& originals);

}  // namespace

UndoScope::UndoScope(Context& ctx) : ctx_(ctx), undo_(ctx.device.undo != nullptr ? ctx.device.undo : &own_) {
  ctx_.device.undo = undo_;
}

UndoScope::~UndoScope() {
  if (owner() && ctx_.device.undo == &own_) ctx_.device.undo = nullptr;
}

// Runs of consecutive kept sectors go back with one write each.
bool UndoScope::Restore() {
  if (!owner()) return false;
  ctx_.device.undo = nullptr;
  const std::uint16_t most = std::max<std::uint16_t>(1, ctx_.volume.transferSectors);
  bool restored = true;
  std::vector<std::uint8_t> run;
  for (auto it = own_.originals.begin(); it != own_.originals.end();) {
    const std::uint32_t first = it->first;
    std::uint16_t count = 0;
    run.clear();
    for (; it != own_.originals.end() && it->first == first + count && count < most; ++it, ++count) {
      run.insert(run.end(), it->second.begin(), it->second.end());
    }
    std::vector<std::uint8_t> buffer = run;
    if (Transfer(ctx_, kWriteSectors, first, count, buffer) != 0 && !HoldsOriginals(ctx_, first, count, run)) {
      restored = false;
    }
  }
  return restored;
}

KeepResult KeepOriginals(Context& ctx, SectorUndo& undo, const SectorRequest& request) {
  const std::uint32_t first = request.startSector;
  const std::uint16_t count = request.sectorCount;
  bool allKept = true;
  for (std::uint32_t s = first; s < first + count && allKept; ++s) allKept = undo.originals.contains(s);
  if (allKept) return KeepResult::kKept;
  if ((undo.originals.size() + count) * kSector > kMostUndoBytes) return KeepResult::kRefused;

  std::vector<std::uint8_t>& bytes = undo.readBuffer;
  if (Transfer(ctx, kReadSectors, first, count, bytes) != 0) return KeepResult::kRefused;
  // Most runs of a format write what is there already: one comparison
  // of the whole run answers for them.
  const std::size_t runBytes = std::size_t{count} * kSector;
  if (runBytes <= request.buffer.size() && std::equal(bytes.begin(), bytes.begin() + std::ptrdiff_t(runBytes),
                                                      request.buffer.begin())) {
    return KeepResult::kUnchanged;
  }
  bool unchanged = true;
  for (std::uint16_t i = 0; i < count; ++i) {
    const auto now = bytes.begin() + std::ptrdiff_t{i} * kSector;
    // A sector the write leaves as it is needs nothing kept now: a later
    // write in the update reads it again, still unchanged.
    const std::size_t offset = std::size_t{i} * kSector;
    if (offset + kSector <= request.buffer.size() &&
        std::equal(now, now + kSector, request.buffer.begin() + std::ptrdiff_t(offset))) {
      continue;
    }
    unchanged = false;
    std::array<std::uint8_t, kSector> sector{};
    std::copy_n(now, kSector, sector.begin());
    undo.originals.try_emplace(first + i, sector);  // a sector kept before keeps its first original
  }
  return unchanged ? KeepResult::kUnchanged : KeepResult::kKept;
}

namespace {

std::uint16_t Transfer(Context& ctx, std::uint16_t command, std::uint32_t first, std::uint16_t count,
                       std::vector<std::uint8_t>& buffer) {
  buffer.resize(std::max(buffer.size(), std::size_t{count} * 1024 + 512));
  SectorRequest request;
  request.command = command;
  request.hostAdapter = ctx.device.hostAdapterId;
  request.target = ctx.volume.targetId;
  request.startSector = first;
  request.sectorCount = count;
  request.buffer = buffer;
  return SectorEntry(ctx, request);
}

bool HoldsOriginals(Context& ctx, std::uint32_t first, std::uint16_t count, const std::vector<std::uint8_t>& originals) {
  std::vector<std::uint8_t> now;
  return Transfer(ctx, kReadSectors, first, count, now) == 0 &&
         std::equal(originals.begin(), originals.end(), now.begin());
}

}  // namespace

}  // namespace tarvo
