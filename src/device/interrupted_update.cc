#include "device/interrupted_update.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "base/engine.h"
#include "device/medium_identity.h"
#include "device/scsi_commands.h"
#include "device/sector_io.h"
#include "device/update_journal.h"
#include "device/write_claim.h"

namespace tarvo {

namespace {

constexpr std::size_t kSector = 512;

enum class SectorState { kOriginal, kUpdated, kFinal, kUnreadable, kForeign };

// What each journal sector holds now, read in runs of consecutive sectors;
// a run that cannot be read is read again sector by sector.
std::vector<SectorState> Survey(Engine& ctx, const UpdateJournal& journal);
// Writes the originals of the sectors that do not hold them; true when
// every write succeeded and the medium was synchronised.
bool WriteOriginals(Engine& ctx, const UpdateJournal& journal, const std::vector<SectorState>& states);
InterruptedUpdate Outcome(Engine& ctx, const std::filesystem::path& path, InterruptedUpdate outcome,
                          const std::string& what) {
  if (IsLogOpen(ctx.log)) AppendLog(ctx.log, "*journal " + path.string() + ": " + what + "\n");
  return outcome;
}

}  // namespace

InterruptedUpdate TakeBackInterruptedUpdate(Engine& ctx) {
  if (ctx.volume.targetId == kNoDevice || ctx.device.hostAdapterId == kNoDevice) return InterruptedUpdate::kNone;
  const std::string medium = MediumIdentity(ctx, ctx.device.hostAdapterId, ctx.volume.targetId);
  const std::filesystem::path path = JournalPath(medium);
  UpdateJournal journal;
  switch (ReadJournal(path, journal)) {
    case JournalRead::kNone:
      return InterruptedUpdate::kNone;
    case JournalRead::kTorn:
      return Outcome(ctx, path, InterruptedUpdate::kTorn, "torn, ignored");
    case JournalRead::kRead:
      break;
  }
  const std::vector<SectorState> states =
      journal.medium == medium ? Survey(ctx, journal) : std::vector<SectorState>{SectorState::kForeign};
  const auto all = [&states](SectorState s) { return std::count(states.begin(), states.end(), s); };
  if (all(SectorState::kForeign) > 0) {
    return Outcome(ctx, path, InterruptedUpdate::kOtherMedium, "another medium's, left alone");
  }
  if (all(SectorState::kFinal) == static_cast<std::ptrdiff_t>(states.size())) {
    RemoveJournal(path);
    return Outcome(ctx, path, InterruptedUpdate::kCompleted, "the update was complete");
  }
  const ClaimSpan span(ctx);
  if (!ClaimSelectedMedium(ctx).empty() || !WriteOriginals(ctx, journal, states)) {
    MessageDialog(ctx, kTextUpdateNotTakenBack);
    return Outcome(ctx, path, InterruptedUpdate::kNotTakenBack, "could not be taken back");
  }
  RemoveJournal(path);
  MessageDialog(ctx, kTextUpdateTakenBack);
  const auto changed = states.size() - static_cast<std::size_t>(all(SectorState::kOriginal));
  return Outcome(ctx, path, InterruptedUpdate::kTakenBack, std::to_string(changed) + " sectors taken back");
}

namespace {

SectorState StateOf(const JournalSector& entry, ConstBytes now) {
  if (std::equal(entry.original.begin(), entry.original.end(), now.begin())) return SectorState::kOriginal;
  const std::uint64_t hash = ContentHash(now.first(kSector));
  if (hash == entry.versions.back()) return SectorState::kFinal;
  const bool updated = std::find(entry.versions.begin(), entry.versions.end(), hash) != entry.versions.end();
  return updated ? SectorState::kUpdated : SectorState::kForeign;
}

// Runs of consecutive journal sectors, as index ranges.
void ForEachRun(const Engine& ctx, const UpdateJournal& journal,
                const std::function<void(std::size_t begin, std::size_t end)>& visit) {
  std::vector<std::uint32_t> sectors;
  for (const JournalSector& entry : journal.sectors) sectors.push_back(entry.sector);
  ForEachSectorRun(ctx, sectors, visit);
}

std::vector<SectorState> Survey(Engine& ctx, const UpdateJournal& journal) {
  std::vector<SectorState> states(journal.sectors.size(), SectorState::kUnreadable);
  std::vector<std::uint8_t> buffer;
  ForEachRun(ctx, journal, [&](std::size_t begin, std::size_t end) {
    const std::uint32_t first = journal.sectors[begin].sector;
    const auto count = static_cast<std::uint16_t>(end - begin);
    const bool whole = TransferSectors(ctx, kReadSectors, first, count, buffer) == SectorResult::kDone;
    for (std::size_t i = begin; i < end; ++i) {
      std::size_t offset = (i - begin) * kSector;
      if (!whole) {
        const auto sector = first + static_cast<std::uint32_t>(i - begin);
        if (TransferSectors(ctx, kReadSectors, sector, 1, buffer) != SectorResult::kDone) continue;
        offset = 0;
      }
      states[i] = StateOf(journal.sectors[i], ConstBytes(buffer).subspan(offset, kSector));
    }
  });
  return states;
}

// A run that holds any sector not at its original is written whole: the
// others take what they hold already.
bool WriteOriginals(Engine& ctx, const UpdateJournal& journal, const std::vector<SectorState>& states) {
  bool written = true;
  std::vector<std::uint8_t> buffer;
  ForEachRun(ctx, journal, [&](std::size_t begin, std::size_t end) {
    const auto atOriginal = [&states](std::size_t i) { return states[i] == SectorState::kOriginal; };
    bool changed = false;
    for (std::size_t i = begin; i < end; ++i) changed = changed || !atOriginal(i);
    if (!changed) return;
    buffer.clear();
    for (std::size_t i = begin; i < end; ++i) {
      buffer.insert(buffer.end(), journal.sectors[i].original.begin(), journal.sectors[i].original.end());
    }
    const auto count = static_cast<std::uint16_t>(end - begin);
    const SectorResult put = TransferSectors(ctx, kWriteSectors, journal.sectors[begin].sector, count, buffer);
    if (put != SectorResult::kDone) written = false;
  });
  return written && ScsiSynchronizeCache10(ctx, ctx.device.hostAdapterId, ctx.volume.targetId) != CacheSync::kFailed;
}

}  // namespace

}  // namespace tarvo
