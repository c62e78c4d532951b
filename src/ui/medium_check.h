// The write guard bound to the selected drive: the check every menu
// command and typed command that writes to the medium runs first (menus
// 102, 103, 107, 111, 112, 113; typed RENAME, LABEL, DELETE, ERASE,
// MCOPY, MD, ATTRIB). The write-protection probe asks the selected drive
// (maintenance/write_protect.h); the rules are WriteGuard's.
#pragma once

#include "ui/write_guard.h"

namespace tarvo {

struct Context;

// True: the command may write.
bool MediumAcceptsWrites(Context& ctx, RefusalNotice notice);

}  // namespace tarvo
