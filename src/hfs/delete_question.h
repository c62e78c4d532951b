// The question a deletion asks the user before a directory that is not
// empty goes: "The directory is not empty." (OK / Cancel, captioned
// "Delete directory").
#pragma once

#include "hfs/delete_entries.h"

namespace tarvo {

struct Engine;

// Asks it through the user-interface port; OK lets the directory go.
ConfirmNonEmpty AskBeforeNonEmpty(Engine& ctx);

}  // namespace tarvo
