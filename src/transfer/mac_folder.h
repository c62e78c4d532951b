// New folders on the volume, and the existence test of a name in the
// current folder. Names are Mac Roman: a typed name goes through AnsiToMac
// and CapitalsToLowerCase first, a PC name through MacNameForPcName.
#pragma once

#include <string>
#include <string_view>

#include "hfs/catalog_insert.h"

namespace tarvo {

struct Engine;

enum class MacItem { kAbsent = 0, kFolder = 1, kFile = 2 };

// The entry of the current folder with this Mac Roman name, trailing
// blanks ignored.
MacItem MacItemType(Engine& ctx, std::string_view macName);

enum class FolderStatus { kCreated, kExists, kFailed };
struct MadeFolder {
  FolderStatus status = FolderStatus::kFailed;
  std::string macName;  // the name the folder has or would have
};

// The name cut to 31 characters, "New folder" when empty. A name the
// current folder holds already says "A directory exists already with this
// name." and makes nothing; otherwise the log gains "*md NAME".
MadeFolder MakeMacFolder(Engine& ctx, std::string_view macName);
// The folder record and its thread in the current folder, counted in the
// volume header and the parent's valence. All or nothing: when the catalog
// refuses either record, or no folder ID is left (volume_counters.h; the
// user is told), nothing of the folder remains.
CatalogEditStatus CreateFolderRecords(Engine& ctx, std::string_view macName);

}  // namespace tarvo
