// The commands on the listing's selected rows: the copy to the PC, and the
// attributes dialog and fork swap on one file. Each takes the rows it
// handles off the selection.
#pragma once

#include <string_view>

#include "transfer/file_attributes.h"

namespace tarvo {

struct Context;

// Menu 106: the selected rows, after DLG_DEST unless the output is a port
// or "&Use Current Directory" is checked. Stops at the first item that
// ends in an abort or matches nothing.
void CopySelectionToPc(Context& ctx);

// DLG_ATTR on the file; a Write puts the creator, type and dates into its
// catalog record. 1 when the record was changed (the caller flushes and
// relists), else 0. A new name typed in the dialog then renames the file
// as the rename command does (a name already taken is refused and told).
// A catalog that cannot grow for the new name refuses the whole change
// ("Error trying to extend catalog."): 0, and nothing changed.
int EditAttributes(Context& ctx, std::string_view macName, const ProtectionProbe& probe);

// Menu 115: the attributes of the first selected row; a change is flushed
// and the folder relisted.
void EditSelectedAttributes(Context& ctx, const ProtectionProbe& probe);
// Menu 140: swaps the forks of the first selected row after the write
// guard; a failure shows "Unable to swap data and resource forks.". The
// folder is relisted.
void SwapSelectedForks(Context& ctx, const ProtectionProbe& probe);

}  // namespace tarvo
