// A file's Finder attributes and forks, edited in the catalog work file of
// the mounted volume: the record the attributes dialog changed (menu 115,
// ATTRIB; ui/selection_commands.h) and the fork swap (menu 140, SWAP).
// Folders are not edited here. Files are found by
// their exact name (Macintosh characters) in the current folder.
//
// The write-protection probe is passed in as a callable that answers true
// when the medium is protected (see ui/write_guard.h).
//
// A flush that could not write everything back is reported (which parts),
// never taken for success.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "hfs/catalog_record.h"

namespace tarvo {

struct Engine;

using ProtectionProbe = std::function<bool()>;

enum SwapResult : int {
  kSwapDone = 0,
  kSwapNoFile = 1,
  kSwapResourceOverflow = 2,  // the resource fork has overflow extents
  kSwapDataOverflow = 3,      // the data fork has overflow extents
  kSwapNotWritten = 4,        // the changed record could not be written back
};

// The file record of that exact name in the current folder, read into the
// catalog's node buffer (valid until its next node read); none without a
// mounted volume, or when the name is a folder's or nobody's.
std::optional<CatalogRecord> FindFileRecord(Engine& ctx, std::string_view macName);

// Puts the record data (file record data, type byte first) into the file
// record of that exact name in the current folder, found again: false when
// it is gone or its node could not be written back.
bool WriteFileRecord(Engine& ctx, std::string_view macName, ConstBytes data);

// Exchanges the two forks' extent records and first block, logical and
// physical lengths, when neither fork reaches beyond its three extents, and
// flushes the volume.
SwapResult SwapForks(Engine& ctx, std::string_view macName);

}  // namespace tarvo
