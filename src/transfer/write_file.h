// Writing one new file onto the volume from an open PC file: the content
// into a data fork, a resource fork, or both forks of a MacBinary file,
// then the file's catalog record.
//
// The file is all or nothing. Blocks are taken first fit; a fork needing
// more than the three extents of its record goes on in the extents tree.
// The record is inserted only when every block of both forks was written:
// a full volume ("Not enough space on the volume.", checked before any
// block is taken, or an extents tree that cannot grow), a PC file
// that cannot be read, a write to the medium that fails after its 20
// attempts, or a catalog that cannot grow leaves no trace: the blocks go
// back and no record is inserted, and the user is told which.
//
// Names: pcName (ANSI) is shown and logged; macName is the Mac Roman name
// the file gets (cut to 31 characters). In MacBinary mode an empty macName
// takes the name of the header. A name that the folder already holds is
// refused: the caller settles such names first (copy_to_mac.h; a replace
// goes through replace_file.h).
//
// Plain copies get the type and creator given, and the PC file's
// modification time (local wall-clock, seconds dropped) as creation date,
// one second later as modification date. MacBinary copies take type,
// creator, Finder flags (not "on the desk" nor "inited"), both lengths and
// both dates from the header.
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

namespace tarvo {

struct Engine;

enum class ForkChoice : int { kResource = -1, kMacBinary = 0, kData = 1 };

// What a plain copy takes from the PC file besides its content.
struct PcFileFacts {
  std::uint64_t length = 0;
  std::time_t modified = 0;
};

// The length and modification time of an open PC file; none when the
// system cannot tell them.
std::optional<PcFileFacts> PcFileFactsOf(std::FILE* file);

// 0 when the file was written and recorded, -1 otherwise.
int WriteFileToVolume(Engine& ctx, std::FILE* file, const std::string& pcName, const std::string& macName,
                      std::uint32_t folderId, const std::optional<std::string>& typeCreator, std::uint8_t flagByte,
                      ForkChoice forkChoice);

// The same from a stream whose length and modification time the caller
// gives (content held in memory, for example); the stream is only read.
int WriteStreamToVolume(Engine& ctx, std::FILE* stream, const PcFileFacts& facts, const std::string& pcName,
                        const std::string& macName, std::uint32_t folderId,
                        const std::optional<std::string>& typeCreator, std::uint8_t flagByte, ForkChoice forkChoice);

// A new file on its way, in three steps that WriteStreamToVolume takes in
// a row and a replace (replace_file.h) takes with the old item's removal
// between the last two: described (its record built and its name known,
// no block taken), its forks written, recorded in the catalog.
struct NewFile {
  std::string name;                  // Mac Roman, at most 31 characters
  std::vector<std::uint8_t> record;  // the 102-byte file record
  std::uint32_t fileId = 0;
  std::uint64_t dataLength = 0;
  std::uint64_t resourceLength = 0;
  std::uint64_t resourceOffset = 0;  // where a MacBinary file's resource fork starts
  bool macBinary = false;
};

// Reads the MacBinary header when forkChoice asks for one (refused: "Not a
// MacBinary file." with the PC name in a message, and none). None, after a
// message, when the volume has no ID left for the file (volume_counters.h).
std::optional<NewFile> DescribeNewFile(Engine& ctx, std::FILE* stream, const PcFileFacts& facts,
                                       const std::string& pcName, const std::string& macName,
                                       const std::optional<std::string>& typeCreator, std::uint8_t flagByte,
                                       ForkChoice forkChoice);

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
// stream. On failure the user is told which, the blocks taken go back, and
// the result says why.
ForkWrite WriteNewForks(Engine& ctx, std::FILE* stream, NewFile& file, const std::string& pcName,
                        const MoreBlocks& more = {});

// Tells the user why a file was not written; macName in ANSI.
void TellForkWriteFailure(Engine& ctx, ForkWrite failure, const std::string& pcName, const std::string& macName);

// Inserts the record under (folderId, file.name) and counts the file
// (drNxtCNID, drFilCnt, drNmFls, the folder's valence). A catalog that
// refuses gets the blocks back.
CatalogEditStatus RecordNewFile(Engine& ctx, const NewFile& file, std::uint32_t folderId);

// The blocks of a described file whose forks were written, back to the
// bitmap (its overflow extents too).
void GiveBackNewFile(Engine& ctx, const NewFile& file);

}  // namespace tarvo
