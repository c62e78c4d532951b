// Renaming the mounted volume in the catalog work file and the MDB copy.
//
// The MDB's drVN, the root's directory record (key: parent 1, the volume
// name) and the root's thread record all take the new name. A change the
// catalog cannot make (a catalog that cannot grow: "Error trying to extend
// catalog.") is taken back: the volume then keeps its old name everywhere.
// Nothing reaches the medium until the caller flushes.
#pragma once

#include <string_view>

namespace tarvo {

struct Engine;

enum class VolumeRenameStatus { kRenamed, kRefused };

// The name in Mac Roman, 1 to 27 characters.
VolumeRenameStatus RenameVolume(Engine& ctx, std::string_view macName);

}  // namespace tarvo
