// The catalog's contents against themselves and the volume header.
//
// From the catalog's leaf records: every record has a known type and its
// whole layout; every file and folder ID is used once and is not one of
// the reserved IDs (below 16; the root folder is ID 2 in parent 1); every
// record lies in a folder that exists; every folder's valence counts its
// direct entries; every folder has exactly one thread record whose parent
// and name are the folder's own; a file whose flags say it has a thread
// has one, and a file's thread, where present, names the file's folder and
// name; no thread belongs to nothing. The volume header's drFilCnt,
// drDirCnt (folders besides the root), drNmFls, drNmRtDirs and drNxtCNID
// (above every ID in use, and an ID a new item may take) are checked
// against the records.
#pragma once

#include <vector>

#include "base/big_endian.h"
#include "maintenance/check_allocation.h"
#include "maintenance/check_problems.h"
#include "maintenance/check_tree.h"

namespace tarvo {

// Returns the forks of the files (data, then resource fork of each) for
// the allocation check. Takes the records: they are read in place.
std::vector<Fork> CheckCatalog(std::vector<LeafRecord> records, ConstBytes mdb, std::vector<Finding>& findings);

}  // namespace tarvo
