// Writing the engine's changes back to the medium.
//
// FlushVolume ends every operation that changed the volume: it shows
// "Updating disk managing structures on disc...", and writes the volume
// header (primary and alternate), the bitmap when it is loaded, the
// extents tree when its work file is open, and the catalog tree. The work files stay open and valid.
//
// A flush is one update (sector_undo.h): its writes are staged, journaled
// on the PC and then made, so that a failed write, and a program stopped
// part way, both leave the medium as it was before the operation. The
// writes reach the medium in this order: the bitmap with the blocks of the
// old volume marked as well as the new one's; the extents tree and the
// catalog tree; the volume header; the bitmap as it is. So even where the
// journal is lost, a stop at any point never leaves a block that the
// catalog on the medium uses marked free. The free nodes that changed (a
// deletion's emptied nodes, cleared) are written after the update,
// outside it: the journal need not keep their originals.
//
// When a write fails for good the update is taken back: every original
// goes back, the medium is as it was before the operation, and the engine
// forgets the change: it takes the header, the bitmap and the trees from
// the medium again (the current folder stays current when it is still
// there). The result says so (takenBack). Only when the originals cannot
// be put back either does the result name the parts not written, so the
// caller can tell the user the volume may need checking; the engine then
// keeps the change, for a later flush to write.
//
// A flush inside a format or a replace joins that update and writes it
// whole; the caller that holds the outer scope takes it back on failure.
#pragma once

#include <cstdint>

#include "base/tree_work_file.h"

namespace tarvo {

struct Engine;

// Parts of a flush, as bits of FlushStatus::notWritten.
enum FlushPart : unsigned {
  kFlushVolumeHeader = 2,  // the MDB or its alternate copy
  kFlushBitmap = 4,
  kFlushExtentsTree = 8,
  kFlushCatalogTree = 16,
};

struct FlushStatus {
  unsigned notWritten = 0;  // FlushPart bits
  bool takenBack = false;   // a write failed and the medium is as it was before: the change was not made
  bool ok() const { return notWritten == 0; }
};

// The nodes a write-back covers, of those changed since the last flush:
// all of them, or the free ones (UnflushedFreeNodes) apart from the rest.
enum class TreeNodes { kAll, kButCleared, kCleared };

// Writes the tree's nodes changed since the last flush from its work file
// over the tree's extents on the medium: the extents of drCTExtRec
// (catalog) or drXTExtRec (extents tree), and for the catalog the overflow
// records of file 4 beyond them, as far as the tree's size (drCTFlSize,
// drXTFlSize) reaches (WalkForkExtents, extent_record.h). False when a node
// could not be written, the work file could not be read, or the extents
// end before the size does.
bool WriteBackTree(Engine& ctx, TreeWorkFile& tree, TreeNodes part = TreeNodes::kAll);

FlushStatus FlushVolume(Engine& ctx);

// The engine forgets every change not flushed: the header, the bitmap and
// the trees are taken from the medium again, and the current folder stays
// current when it is still there. For a flush taken back, here or by the
// caller that holds the undo scope a flush joined.
void ReloadFromMedium(Engine& ctx);

}  // namespace tarvo
