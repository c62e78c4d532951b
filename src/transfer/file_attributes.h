// A file's Finder attributes and forks, edited in the catalog work file of
// the mounted volume: the attributes dialog (menu 115, ATTRIB) and the fork
// swap (menu 140, SWAP). Folders are not edited here. Files are found by
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

struct Context;

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
std::optional<CatalogRecord> FindFileRecord(Context& ctx, std::string_view macName);

// DLG_ATTR on the file; a Write puts the creator, type and dates into its
// catalog record. 1 when the record was changed (the caller flushes and
// relists), else 0. A new name typed in the dialog then renames the file
// as the rename command does (a name already taken is refused and told).
// A catalog that cannot grow for the new name refuses the whole change
// ("Error trying to extend catalog."): 0, and nothing changed.
int EditAttributes(Context& ctx, std::string_view macName, const ProtectionProbe& probe);

// Exchanges the two forks' extent records and first block, logical and
// physical lengths, when neither fork reaches beyond its three extents, and
// flushes the volume.
SwapResult SwapForks(Context& ctx, std::string_view macName);

// Menu 115: the attributes of the first selected row; a change is flushed
// and the folder relisted.
void EditSelectedAttributes(Context& ctx, const ProtectionProbe& probe);
// Menu 140: swaps the forks of the first selected row after the write
// guard; a failure shows "Unable to swap data and resource forks.". The
// folder is relisted.
void SwapSelectedForks(Context& ctx, const ProtectionProbe& probe);

}  // namespace tarvo
