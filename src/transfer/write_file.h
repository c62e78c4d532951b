// Writing one new file onto the volume from a MacFileSource (a reader's,
// pc_file_reader.h): its forks, then its catalog record.
//
// The file is all or nothing. Blocks are taken first fit; a fork needing
// more than the three extents of its record goes on in the extents tree.
// The record is inserted only when every block of both forks was written:
// a full volume (checked before any block is taken, or an extents tree
// that cannot grow), a PC file that cannot be read, a write to the medium
// that fails after its 20 attempts, or a catalog that cannot grow leaves
// no trace: the blocks go back and no record is inserted. The result says
// which; the caller tells the user (write_file_report.h).
//
// The file takes the source's name (the caller settles names the folder
// already holds first: copy_to_mac.h; a replace goes through
// replace_file.h), type, creator, Finder flags (not "on the desk" nor
// "inited") and dates. pcName (ANSI) is shown and logged.
//
// Afterwards drNxtCNID, drFilCnt, drNmFls (root) and the folder's valence
// count the file; the log gains "PCNAME\tMACNAME\r\n" and the status line
// shows "Copy of ..." while the content moves.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/big_endian.h"
#include "hfs/catalog_insert.h"
#include "transfer/mac_file_source.h"

namespace tarvo {

struct Engine;

// The fork a plain file's content goes into.
enum class ForkChoice { kData, kResource };

// What a plain copy takes from the PC file besides its content.
struct PcFileFacts {
  std::uint64_t length = 0;
  std::time_t modified = 0;
};

// The length and modification time of an open PC file; none when the
// system cannot tell them.
std::optional<PcFileFacts> PcFileFactsOf(std::FILE* file);

enum class FileWrite {
  kDone,
  kNoCatalogId,       // the volume has no ID left for the file (volume_counters.h)
  kNameTaken,         // the folder holds the name already, or the name is empty
  kBitmapUnreadable,  // the volume bitmap could not be read
  kNoSpace,           // fewer free blocks than the forks need, or too few to grow the extents tree
  kScattered,         // the extents tree cannot take another extent (it cannot be walked)
  kPcFileError,       // the PC file could not be read
  kMediumError,       // a write to the medium failed after its attempts
  kCatalogRefused,    // the catalog refused the record (the insertion told why)
};

// Writes the source as a new file of folder folderId; flagByte is the high
// byte of its Finder flags.
FileWrite WriteFileToVolume(Engine& ctx, const MacFileSource& source, const std::string& pcName,
                            std::uint32_t folderId, std::uint8_t flagByte);

// A new file on its way, in three steps that WriteFileToVolume takes in
// a row and a replace (replace_file.h) takes with the old item's removal
// between the last two: described (its record built and its name known,
// no block taken), its forks written, recorded in the catalog.
struct NewFile {
  std::string name;                  // Mac Roman, at most 31 characters
  std::vector<std::uint8_t> record;  // the 102-byte file record
  std::uint32_t fileId = 0;
  std::uint64_t dataLength = 0;
  std::uint64_t resourceLength = 0;
  std::uint64_t dataOffset = 0;  // where the forks start in the source's stream
  std::uint64_t resourceOffset = 0;
};

// The record of the source's file; none when the volume has no ID left for
// it (volume_counters.h).
std::optional<NewFile> DescribeNewFile(Engine& ctx, const MacFileSource& source, std::uint8_t flagByte);

// The allocation blocks both forks take.
std::uint64_t NewFileBlocks(const Engine& ctx, const NewFile& file);

// Called when a fork finds no free run left; true when it made more blocks
// free (a replace giving up the old file's blocks).
using MoreBlocks = std::function<bool()>;

enum class ForkWrite {
  kDone,
  kNoSpace,      // fewer free blocks than the fork needs, or too few to grow the extents tree
  kScattered,    // the extents tree cannot take another extent (it cannot be walked)
  kPcFileError,  // the PC file could not be read
  kMediumError,  // a write to the medium failed after its attempts
};

// Writes byteCount bytes from the file's position into a new fork of file
// fileId (forkType 0x00 data, 0xFF resource) and sets the fork's lengths
// and first extents in the 102-byte file record. On failure the blocks
// taken stay recorded there and in the extents tree, for the caller to
// free. With `more`, the free blocks are not counted first: the fork asks
// `more` when the runs give out.
ForkWrite WriteFork(Engine& ctx, std::FILE* file, std::uint32_t byteCount, std::uint32_t fileId,
                    std::uint8_t forkType, Bytes fileRecord, const MoreBlocks& more = {});

// Shows "Copy of ..." and writes both forks of the described file from the
// stream. On failure the blocks taken go back, and the result says why.
FileWrite WriteNewForks(Engine& ctx, std::FILE* stream, NewFile& file, const std::string& pcName,
                        const MoreBlocks& more = {});

// Inserts the record under (folderId, file.name) and counts the file
// (drNxtCNID, drFilCnt, drNmFls, the folder's valence). A catalog that
// refuses gets the blocks back.
CatalogEditStatus RecordNewFile(Engine& ctx, const NewFile& file, std::uint32_t folderId);

// The blocks of a described file whose forks were written, back to the
// bitmap (its overflow extents too).
void GiveBackNewFile(Engine& ctx, const NewFile& file);

}  // namespace tarvo
