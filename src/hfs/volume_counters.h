// The volume header's counts of files and folders, kept in step with the
// catalog: drFilCnt and drDirCnt for the whole volume, drNmFls and
// drNmRtDirs for the root, and drNxtCNID for new catalog IDs.
#pragma once

#include <cstdint>
#include <optional>

namespace tarvo {

struct VolumeState;

// delta files (+1 created, -1 deleted) in directory parentId.
void CountFiles(VolumeState& volume, std::uint32_t parentId, int delta);
// delta folders in directory parentId.
void CountFolders(VolumeState& volume, std::uint32_t parentId, int delta);

// IDs below 16 are reserved. The Macintosh declares catalog IDs as signed
// 32-bit numbers (LongInt), and readers that compare them so (hfsutils
// does) lose the order of a catalog holding an ID of 0x80000000 or more.
// So new files and folders take IDs from 16 to 0x7FFFFFFE: taking
// 0x7FFFFFFF would wrap drNxtCNID past the positive numbers.
inline constexpr std::uint32_t kFirstUserCatalogId = 16;
inline constexpr std::uint32_t kLastNewCatalogId = 0x7FFFFFFE;
bool IsNewCatalogId(std::uint32_t id);

// The ID the next file or folder gets: drNxtCNID when IsNewCatalogId,
// else none, and nothing may be created.
std::optional<std::uint32_t> NextCatalogId(const VolumeState& volume);
// Marks that ID taken.
void TakeCatalogId(VolumeState& volume);

}  // namespace tarvo
