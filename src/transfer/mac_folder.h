// New folders on the volume, and the existence test of a name in the
// current folder.
//
// MakeMacFolder takes the Mac Roman name (a typed name goes through
// AnsiToMac and CapitalsToLowerCase first, a PC name through
// MacNameForPcName): cut to 31 characters, an empty name becomes "New
// folder". When the current folder already holds a
// file or folder of that name: "A directory exists already with this
// name." and nothing is created. Otherwise the log gains "*md NAME\r\n"
// and the records are made.
//
// CreateFolderRecords inserts the folder record (ID drNxtCNID, dates now,
// the Finder window 80,48,272,480 and view 0x0100) and its thread record
// into the current folder, then takes the ID and counts the folder:
// drDirCnt, drNmRtDirs in the root, the parent's valence (bthNRecs is kept
// by the insertion). When the catalog refuses either record nothing is
// left of the folder. When drNxtCNID is no ID a new item may take
// (volume_counters.h) nothing is made, after a message (kNoId).
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

MadeFolder MakeMacFolder(Engine& ctx, std::string_view macName);
CatalogEditStatus CreateFolderRecords(Engine& ctx, std::string_view macName);

}  // namespace tarvo
