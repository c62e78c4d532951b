// The volume header's counts of files and folders, kept in step with the
// catalog: drFilCnt and drDirCnt for the whole volume, drNmFls and
// drNmRtDirs for the root, and drNxtCNID for new catalog IDs.
#pragma once

#include <cstdint>

namespace tarvo {

struct VolumeState;

// delta files (+1 created, -1 deleted) in directory parentId.
void CountFiles(VolumeState& volume, std::uint32_t parentId, int delta);
// delta folders in directory parentId.
void CountFolders(VolumeState& volume, std::uint32_t parentId, int delta);

// The ID the next file or folder gets.
std::uint32_t NextCatalogId(const VolumeState& volume);
// Marks that ID taken.
void TakeCatalogId(VolumeState& volume);

}  // namespace tarvo
