#include "device/sector_undo.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "base/engine.h"
#include "base/held_signals.h"
#include "device/medium_identity.h"
#include "device/scsi_commands.h"
#include "device/scsi_manager.h"
#include "device/sector_io.h"

namespace tarvo {

namespace {

constexpr std::size_t kSector = 512;
constexpr std::size_t kMostStagedSectors = kMostUndoBytes / kSector;

// Calls write(first, count, bytes) with the contents of each run of
// consecutive sectors of the ascending list (ForEachSectorRun); after a
// failed call only when `afterFailure`. False when a call failed.
using RunWriter = std::function<bool(std::uint32_t first, std::uint16_t count, std::vector<std::uint8_t>& bytes)>;
bool WriteRuns(Engine& ctx, const std::vector<std::uint32_t>& sectors,
               const std::function<const SectorContent&(std::uint32_t)>& content, bool afterFailure,
               const RunWriter& write);
const SectorContent* LatestStaged(const SectorUndo& undo, std::uint32_t sector);
// Writes the passes in order until a write fails; `touched` gets the
// sectors of every request sent, ascending. False when one failed.
bool WritePasses(Engine& ctx, const SectorUndo& update, std::vector<std::uint32_t>& touched);
UpdateJournal MakeJournal(const SectorUndo& undo, std::string medium);
// Puts the originals of the sectors back and synchronises the medium;
// true when the medium holds them all.
bool PutBack(Engine& ctx, const SectorUndo& undo, const std::vector<std::uint32_t>& sectors);
bool Synchronised(Engine& ctx) {
  return ScsiSynchronizeCache10(ctx, ctx.device.hostAdapterId, ctx.volume.targetId) != CacheSync::kFailed;
}

}  // namespace

UndoScope::UndoScope(Engine& ctx) : ctx_(ctx), undo_(ctx.device.undo != nullptr ? ctx.device.undo : &own_) {
  ctx_.device.undo = undo_;
  if (owner()) ScsiSynchronizeCache10(ctx_, ctx_.device.hostAdapterId, ctx_.volume.targetId, CacheSyncWait::kStart);
}

UndoScope::~UndoScope() {
  if (owner() && ctx_.device.undo == &own_) ctx_.device.undo = nullptr;
}

// The journal holds at most kMostSectorVersions contents of a sector:
// passes beyond that many join the last.
void UndoScope::NextPass() {
  std::vector<std::map<std::uint32_t, SectorContent>>& passes = undo_->passes;
  if (!passes.empty() && !passes.back().empty() && passes.size() < kMostSectorVersions) passes.emplace_back();
}

bool UndoScope::Commit() {
  SectorUndo& update = *undo_;
  if (update.failed) return false;
  ctx_.device.undo = nullptr;  // the commit's own requests go to the medium
  bool written = true;
  if (!update.originals.empty()) {
    const SignalsHeld held;  // a stop asked for now comes once the update is whole or taken back
    const std::uint8_t adapter = ctx_.device.hostAdapterId;
    const UpdateJournal journal = MakeJournal(update, MediumIdentity(ctx_, adapter, ctx_.volume.targetId));
    const std::filesystem::path path = JournalPath(journal.medium);
    if (const std::string failure = WriteJournal(journal, path); !failure.empty()) {
      MessageDialog(ctx_, FormatMessage(kTextJournalNotWritten, failure));
      written = false;
    } else {
      std::vector<std::uint32_t> touched;
      written = WritePasses(ctx_, update, touched) && Synchronised(ctx_);
      update.torn = !written && !PutBack(ctx_, update, touched);
      // Torn: the journal stays for the next opening of the medium.
      if (!update.torn) RemoveJournal(path);
    }
  }
  update.originals.clear();
  update.passes.clear();
  update.stagedSectors = 0;
  update.failed = !written;
  ctx_.device.undo = undo_;
  return written;
}

bool UndoScope::Restore() {
  if (!owner()) return false;
  ctx_.device.undo = nullptr;
  own_.originals.clear();
  own_.passes.clear();
  own_.stagedSectors = 0;
  return !own_.torn;
}

SectorResult StageWrite(Engine& ctx, SectorUndo& undo, const SectorRequest& request) {
  const std::uint32_t first = request.startSector;
  const std::uint16_t count = request.sectorCount;
  const auto refuse = [&undo] {
    undo.failed = true;
    return SectorResult::kFailed;
  };
  // A refused write dooms the update: nothing more is staged for it.
  if (undo.failed || count == 0 || request.buffer.size() < std::size_t{count} * kSector) return refuse();
  if (undo.passes.empty()) undo.passes.emplace_back();

  // The medium holds the original of every sector nothing was kept for.
  bool allKept = true;
  for (std::uint32_t s = first; s < first + count && allKept; ++s) allKept = undo.originals.contains(s);
  std::vector<std::uint8_t>& medium = undo.readBuffer;
  if (!allKept) {
    if (TransferSectors(ctx, kReadSectors, first, count, medium) != SectorResult::kDone) return refuse();
    // Most runs of a format write what is there already: one comparison
    // of the whole run answers for them.
    const std::size_t runBytes = std::size_t{count} * kSector;
    const bool noneKept = undo.originals.lower_bound(first) == undo.originals.lower_bound(first + count);
    if (noneKept && std::equal(medium.begin(), medium.begin() + std::ptrdiff_t(runBytes), request.buffer.begin())) {
      return SectorResult::kDone;
    }
  }
  auto& pass = undo.passes.back();
  for (std::uint16_t i = 0; i < count; ++i) {
    const std::uint32_t s = first + i;
    const auto bytes = request.buffer.begin() + std::ptrdiff_t{i} * std::ptrdiff_t{kSector};
    const auto kept = undo.originals.find(s);
    const std::uint8_t* now = medium.data() + std::size_t{i} * kSector;
    if (kept != undo.originals.end()) {
      const SectorContent* staged = LatestStaged(undo, s);
      now = (staged != nullptr ? *staged : kept->second).data();
    }
    if (std::equal(now, now + kSector, bytes)) continue;
    if (kept == undo.originals.end()) {
      if (undo.originals.size() >= kMostStagedSectors) return refuse();
      std::copy_n(now, kSector, undo.originals[s].begin());
    }
    auto [staged, added] = pass.try_emplace(s);
    if (added && ++undo.stagedSectors > kMostStagedSectors) return refuse();
    std::copy_n(bytes, kSector, staged->second.begin());
  }
  return SectorResult::kDone;
}

void ShowStaged(const SectorUndo& undo, const SectorRequest& request) {
  const std::uint32_t first = request.startSector;
  const std::uint32_t end = first + request.sectorCount;
  // Only a kept sector can be staged.
  for (auto it = undo.originals.lower_bound(first); it != undo.originals.end() && it->first < end; ++it) {
    const std::size_t offset = std::size_t{it->first - first} * kSector;
    if (offset + kSector > request.buffer.size()) break;
    if (const SectorContent* staged = LatestStaged(undo, it->first)) {
      std::copy(staged->begin(), staged->end(), request.buffer.begin() + std::ptrdiff_t(offset));
    }
  }
}

namespace {

bool WriteRuns(Engine& ctx, const std::vector<std::uint32_t>& sectors,
               const std::function<const SectorContent&(std::uint32_t)>& content, bool afterFailure,
               const RunWriter& write) {
  bool ok = true;
  std::vector<std::uint8_t> run;
  ForEachSectorRun(ctx, sectors, [&](std::size_t begin, std::size_t end) {
    if (!ok && !afterFailure) return;
    run.clear();
    for (std::size_t i = begin; i < end; ++i) {
      const SectorContent& bytes = content(sectors[i]);
      run.insert(run.end(), bytes.begin(), bytes.end());
    }
    if (!write(sectors[begin], static_cast<std::uint16_t>(end - begin), run)) ok = false;
  });
  return ok;
}

const SectorContent* LatestStaged(const SectorUndo& undo, std::uint32_t sector) {
  for (auto pass = undo.passes.rbegin(); pass != undo.passes.rend(); ++pass) {
    if (const auto it = pass->find(sector); it != pass->end()) return &it->second;
  }
  return nullptr;
}

bool WritePasses(Engine& ctx, const SectorUndo& update, std::vector<std::uint32_t>& touched) {
  bool written = true;
  for (const auto& pass : update.passes) {
    std::vector<std::uint32_t> sectors;
    for (const auto& [sector, bytes] : pass) sectors.push_back(sector);
    const auto content = [&pass](std::uint32_t s) -> const SectorContent& { return pass.at(s); };
    const RunWriter write = [&](std::uint32_t first, std::uint16_t count, std::vector<std::uint8_t>& run) {
      for (std::uint32_t s = first; s < first + count; ++s) touched.push_back(s);
      return TransferSectors(ctx, kWriteSectors, first, count, run) == SectorResult::kDone;
    };
    written = WriteRuns(ctx, sectors, content, false, write);
    if (!written) break;
  }
  std::sort(touched.begin(), touched.end());
  touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
  return written;
}

UpdateJournal MakeJournal(const SectorUndo& undo, std::string medium) {
  UpdateJournal journal{std::move(medium), {}};
  journal.sectors.reserve(undo.originals.size());
  for (const auto& [sector, original] : undo.originals) {
    std::vector<std::uint64_t> versions;
    for (const auto& pass : undo.passes) {
      if (const auto it = pass.find(sector); it != pass.end()) versions.push_back(ContentHash(it->second));
    }
    journal.sectors.push_back({sector, std::move(versions), original});
  }
  return journal;
}

// A write that fails is read back: a sector that holds its original all
// the same (the failed write never reached the medium) counts as put back.
bool PutBack(Engine& ctx, const SectorUndo& undo, const std::vector<std::uint32_t>& sectors) {
  std::vector<std::uint8_t> now;
  const auto original = [&undo](std::uint32_t s) -> const SectorContent& { return undo.originals.at(s); };
  const RunWriter write = [&](std::uint32_t first, std::uint16_t count, std::vector<std::uint8_t>& run) {
    const std::size_t bytes = std::size_t{count} * kSector;
    const std::vector<std::uint8_t> wanted(run.begin(), run.begin() + std::ptrdiff_t(bytes));
    if (TransferSectors(ctx, kWriteSectors, first, count, run) == SectorResult::kDone) return true;
    return TransferSectors(ctx, kReadSectors, first, count, now) == SectorResult::kDone &&
           std::equal(wanted.begin(), wanted.end(), now.begin());
  };
  const bool restored = WriteRuns(ctx, sectors, original, true, write);
  return Synchronised(ctx) && restored;
}

}  // namespace

}  // namespace tarvo
