// The journal of an update: the originals of the sectors an update of a
// medium overwrites, kept in a file on the PC from before the first of
// them is overwritten until the update is on the medium.
//
// There is one journal per medium, in $XDG_STATE_HOME/tarvo (by default
// ~/.local/state/tarvo; a relative XDG_STATE_HOME is ignored, as the XDG
// rules ask), named for the medium's identity (medium_identity.h):
// "update-" and 16 hex digits of a hash of it, then ".journal". The
// folder is made, private to the user, when the first journal is written.
//
// The file holds, big-endian: the magic "TARVOJNL"; the format version,
// 1 (u32); the medium's identity (u32 length, then its bytes); the number
// of sectors (u32); for each sector, in ascending order, its number (u32),
// the number of contents the update writes into it (u16, 1 to 8), whether
// its original is stored (u16: 0 for an original of zeros, which is not,
// 1) and the hash of each content (u64, in the order they are written;
// the last is the sector's final content); then the stored originals, 512
// bytes each, in the same order; last a checksum (u64) of everything
// before it. (A catalog that grows into blocks never used has originals
// of zeros: they cost the journal nothing.)
// A file that is too short or too long, or whose magic, version, counts
// or checksum do not fit, is torn: it was cut short while it was written,
// before the medium was touched, and it is read as no journal.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/big_endian.h"

namespace tarvo {

using SectorContent = std::array<std::uint8_t, 512>;

inline constexpr std::size_t kMostSectorVersions = 8;

struct JournalSector {
  std::uint32_t sector = 0;
  std::vector<std::uint64_t> versions;  // hashes of the contents written, in order
  SectorContent original{};
};

struct UpdateJournal {
  std::string medium;                  // the identity of the medium
  std::vector<JournalSector> sectors;  // ascending sector numbers
};

// The hash of a sector's content the journal keeps (64 bits, FNV-1a
// taken a word at a time); the checksum of the file is the same hash.
std::uint64_t ContentHash(ConstBytes bytes);

// Where the journals live, and the journal of a medium.
std::filesystem::path JournalFolder();
std::filesystem::path JournalPath(const std::string& medium);

// Writes the journal and makes it durable: the file is flushed to its
// disk (fdatasync), then its folder (fsync), so that the file and its name
// survive a crash. "" or what failed.
std::string WriteJournal(const UpdateJournal& journal, const std::filesystem::path& path);

enum class JournalRead { kNone, kTorn, kRead };
JournalRead ReadJournal(const std::filesystem::path& path, UpdateJournal& journal);

void RemoveJournal(const std::filesystem::path& path);

}  // namespace tarvo
