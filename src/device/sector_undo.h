// Taking back an update of the medium that failed half-way.
//
// An update that writes several structures (the flush of the volume's
// metadata, a format) opens an UndoScope. While it is open, every write
// through SectorEntry first keeps the bytes of the sectors it is about to
// overwrite, each sector once, in memory: so the scope holds the original
// of every sector the update changed. A sector the write would leave as
// it is (zeros cleared over zeros) is not kept. A write that fails after
// its attempts marks the update failed; the updater then stops writing
// and calls Restore, which writes every original back, and the medium is
// as it was before the update.
//
// What is kept is only what the update overwrites, so the memory follows
// the metadata written (a flush: the header, the bitmap and the trees),
// never the content of copied files, which is written before the flush
// into blocks that were free. A scope keeps at most kMostUndoBytes: a
// write beyond that, or one whose original sectors cannot be read, is not
// made and counts as failed, since it could not be taken back.
//
// Scopes nest: a scope opened while another is open joins it (the flush
// at the end of a format), and only the outermost one restores.
//
// A restore write that fails is read back: a sector that holds its
// original all the same (the failed write never reached the medium)
// counts as restored.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace tarvo {

struct Context;
struct SectorRequest;

inline constexpr std::size_t kMostUndoBytes = std::size_t{24} << 20;

struct SectorUndo {
  std::map<std::uint32_t, std::array<std::uint8_t, 512>> originals;  // by 512-byte logical sector
  bool failed = false;  // a write failed for good, or was refused
  std::vector<std::uint8_t> readBuffer;  // reused for every read of originals
};

class UndoScope {
 public:
  explicit UndoScope(Context& ctx);
  ~UndoScope();
  UndoScope(const UndoScope&) = delete;
  UndoScope& operator=(const UndoScope&) = delete;

  // True when this scope is the outermost one, which restores.
  bool owner() const { return undo_ == &own_; }
  bool failed() const { return undo_->failed; }
  // Closes the scope and writes every kept original back. True when the
  // medium holds them all again.
  bool Restore();

 private:
  Context& ctx_;
  SectorUndo own_;
  SectorUndo* undo_;
};

// For SectorEntry: keeps the originals of the sectors a write request is
// about to overwrite. kUnchanged: the medium already holds the bytes, and
// the write need not be sent (a format's clear of zeros over zeros).
// kRefused: the write must not be made.
enum class KeepResult { kKept, kUnchanged, kRefused };
KeepResult KeepOriginals(Context& ctx, SectorUndo& undo, const SectorRequest& request);

}  // namespace tarvo
