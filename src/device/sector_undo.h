// An update of the medium that is all or nothing, across a failed write
// and across a crash.
//
// An update that writes several structures (the flush of the volume's
// metadata, a format, a replace that hands out the old file's blocks)
// opens an UndoScope. While it is open, every write through SectorEntry is
// staged in memory and nothing reaches the medium; reads see the staged
// bytes over the medium's. A sector the write would leave as it is is not
// staged (a format's zeros over zeros cost nothing); for every sector that
// changes, the original is read once and kept. Staged writes reach the
// medium in passes (NextPass): every sector of a pass before any of the
// next, each pass in ascending sector order, so that an updater chooses
// what a stop part way through leaves on the medium.
//
// An update begins by asking the drive to start writing back its cache
// (SYNCHRONIZE CACHE with IMMED): what the operation wrote before it, the
// content of copied files, goes to the disk while the update is staged,
// and the commit's synchronisation has less to wait for.
//
// Commit writes the update:
//   1. the journal (update_journal.h): the sectors that change, the
//      contents they take and their originals, made durable on the PC;
//   2. the passes, in requests of up to `transferSectors` sectors;
//   3. SYNCHRONIZE CACHE (10) of the medium;
//   4. the journal is removed.
// SIGINT, SIGTERM and SIGHUP wait from 1 to 4 (held_signals.h): they end
// the program once the update is on the medium or taken back.
// A program stopped between 1 and 4 leaves the journal, by which the next
// opening of the medium takes the update back (interrupted_update.h).
// A write that still fails after the sector layer's attempts, or a
// synchronisation that fails, stops the commit: the originals of the
// sectors written go back from memory, the medium is synchronised and the
// journal removed. When they cannot all go back, the journal stays, for
// the next opening to try again. A journal that cannot be written stops
// the commit before the medium is touched, and says so: "The journal of
// this update could not be written (REASON): the volume was not changed.".
//
// Memory follows what the update changes: at most kMostUndoBytes of
// originals, and as much again of staged bytes (a sector staged in
// several passes counts once per pass). A write beyond that, or one whose
// original sectors cannot be read, is refused and marks the update failed:
// it could not be taken back.
//
// Scopes nest: a scope opened while another is open joins its update (the
// flush at the end of a format), and a Commit from either writes the whole
// update. Only the outermost scope restores; when it closes, what is still
// staged is dropped, and never reaches the medium.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "device/sector_io.h"
#include "device/update_journal.h"

namespace tarvo {

struct Engine;

inline constexpr std::size_t kMostUndoBytes = std::size_t{24} << 20;

// The update being staged.
struct SectorUndo {
  std::map<std::uint32_t, SectorContent> originals;  // by 512-byte logical sector
  std::vector<std::map<std::uint32_t, SectorContent>> passes;  // the staged writes
  std::size_t stagedSectors = 0;  // over all passes
  bool failed = false;  // a write was refused, or a commit did not write the update
  bool torn = false;    // a commit failed and its originals could not all go back
  std::vector<std::uint8_t> readBuffer;  // reused for every read of originals
};

class UndoScope {
 public:
  explicit UndoScope(Engine& ctx);
  ~UndoScope();
  UndoScope(const UndoScope&) = delete;
  UndoScope& operator=(const UndoScope&) = delete;

  // True when this scope is the outermost one, which restores.
  bool owner() const { return undo_ == &own_; }
  bool failed() const { return undo_->failed; }
  // The writes staged from now on reach the medium after those before.
  void NextPass();
  // Writes the update as above. True when it is on the medium; false when
  // it failed or was refused before (failed() tells which scope may then
  // Restore). The scope stays open: writes after it begin a new update.
  bool Commit();
  // Closes the scope; what is staged is dropped. True when the medium
  // holds what it held before the update: nothing of it was written, or a
  // failed commit put every original back.
  bool Restore();

 private:
  Engine& ctx_;
  SectorUndo own_;
  SectorUndo* undo_;
};

// For SectorEntry while an update is open: stages a write, 0 or the
// status of a refusal; and lays the staged bytes over what a read brought
// from the medium.
SectorResult StageWrite(Engine& ctx, SectorUndo& undo, const SectorRequest& request);
void ShowStaged(const SectorUndo& undo, const SectorRequest& request);

}  // namespace tarvo
