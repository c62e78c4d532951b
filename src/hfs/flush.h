// Writing the engine's changes back to the medium.
//
// FlushVolume ends every operation that changed the volume: it shows
// "Updating disk managing structures on disc...", rebuilds the catalog
// index, and writes the volume header (primary and alternate), the bitmap
// when it is loaded, the extents tree when its work file is open, and the
// catalog tree, in this order. Every part is attempted even when an earlier
// one failed; the result names the parts that were not written, so the
// caller can tell the user the volume may need checking. The work files
// stay open and valid afterwards.
#pragma once

#include <cstdint>

#include "hfs/tree_work_file.h"

namespace tarvo {

struct Context;

// Parts of a flush, as bits of FlushStatus::notWritten.
enum FlushPart : unsigned {
  kFlushIndex = 1,         // the catalog index could not be rebuilt (the last one stays)
  kFlushVolumeHeader = 2,  // the MDB or its alternate copy
  kFlushBitmap = 4,
  kFlushExtentsTree = 8,
  kFlushCatalogTree = 16,
};

struct FlushStatus {
  unsigned notWritten = 0;  // FlushPart bits
  bool ok() const { return notWritten == 0; }
};

// Writes the tree's work file over the tree's extents on the medium: the
// extents of drCTExtRec (catalog) or drXTExtRec (extents tree), and for the
// catalog the overflow records of file 4 beyond them, as far as the tree's
// size (drCTFlSize, drXTFlSize) reaches. False when a block could not be
// written, the work file could not be read, or an overflow record is
// missing.
bool WriteBackTree(Context& ctx, TreeWorkFile& tree);

FlushStatus FlushVolume(Context& ctx);

}  // namespace tarvo
