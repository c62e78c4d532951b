// A PC file taking the place of an item of the current folder: what "Yes"
// to "The file NAME already exists. OK to replace it?" does.
//
// Nothing is lost when the new file cannot be written: the old item goes
// only once every block of the new one is on the volume, and a catalog
// that cannot grow refuses the replace before anything changes ("Error
// trying to extend catalog.").
//
// With room for the new file beside the old item, its forks go into free
// blocks first; then the item is deleted (a folder that is not empty asks
// "The directory is not empty." once more: Cancel gives the new blocks
// back) and the new record takes the name.
//
// Without that room, when the item is a file whose blocks make up the
// difference, the new file takes them too, last. The work done before is
// flushed first; once the free blocks are used up the old file leaves the
// catalog and its blocks are handed out within one update of the medium
// (an undo scope, sector_undo.h) that ends with the change's flush. Any
// failure from there on (a write to the medium, a PC file that cannot be
// read, the flush) takes the update back, so the old blocks hold what they
// held, and the engine takes the volume from the medium again: the old
// file stays whole. Where that cannot be promised (an update already open,
// more than an update may hold), and where the volume lacks room even
// without the old item, the replace is refused for want of room.
//
// The log shows the replace once it is made: "*del NAME\r\n" (or "*rd
// NAME\r\n" with the lines of the folder's contents), then
// "PCNAME\tNAME\r\n" with the name the new file bears.
#pragma once

#include <string>

#include "hfs/flush.h"
#include "transfer/write_file.h"

namespace tarvo {

struct Engine;

enum class ReplaceOutcome {
  kReplaced,
  kCancelled,      // the user cancelled
  kNotWritten,     // the new file could not be made: `written` says why
  kOldItemKept,    // the catalog refused to delete the old item (the deletion told why)
  kNotFlushed,     // the work done before could not be flushed: `flush`
  kChangeNotMade,  // the flush that ends the change failed
};

// What a replace came to. Every failure leaves the old item as it was,
// unless `oldFileLost`: taken back, the update could not put it back.
struct ReplaceResult {
  ReplaceOutcome outcome = ReplaceOutcome::kReplaced;
  FileWrite written = FileWrite::kDone;
  FlushStatus flush;
  bool oldFileLost = false;
  std::string oldName;  // as the catalog holds it (Mac Roman)
};

// Replaces the item of the current folder named as the source's file
// (Mac Roman) by that file (pcName in ANSI, logged). Tells the user
// nothing itself beyond the questions it asks (TellReplace,
// pc_copy_report.h).
ReplaceResult ReplaceWithPcFile(Engine& ctx, const MacFileSource& source, const std::string& pcName);

}  // namespace tarvo
