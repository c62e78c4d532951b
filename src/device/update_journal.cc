#include "device/update_journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/whole_io.h"

namespace tarvo {

namespace {

constexpr char kMagic[] = "TARVOJNL";
constexpr std::size_t kMagicLength = 8;
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kSector = 512;
constexpr std::uint32_t kMostIdentityBytes = 1024;
// More than any update keeps (sector_undo.h): a larger file is not ours.
constexpr std::uint64_t kMostJournalBytes = std::uint64_t{128} << 20;

constexpr std::uint64_t kFnvOffset = 14695981039346656037ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;

// FNV-1a taken eight bytes (in the machine's order) at a time, with a
// shift that folds the high bits back: it tells contents apart as well as
// the bytewise form does, at a fraction of its cost over the hundreds of
// kilobytes a large update journals. Journals never leave the machine.
std::uint64_t Hash64(ConstBytes bytes) {
  std::uint64_t hash = kFnvOffset;
  std::size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes.data() + i, 8);
    hash = (hash ^ word) * kFnvPrime;
    hash ^= hash >> 32;
  }
  for (; i < bytes.size(); ++i) hash = (hash ^ bytes[i]) * kFnvPrime;
  return hash;
}

void PutU64(Bytes b, std::size_t offset, std::uint64_t v) {
  PutU32(b, offset, static_cast<std::uint32_t>(v >> 32));
  PutU32(b, offset + 4, static_cast<std::uint32_t>(v));
}

std::uint64_t GetU64(ConstBytes b, std::size_t offset) {
  return std::uint64_t{GetU32(b, offset)} << 32 | GetU32(b, offset + 4);
}

std::vector<std::uint8_t> Encode(const UpdateJournal& journal);
bool Decode(ConstBytes bytes, UpdateJournal& journal);
std::string Failure(const char* what, const std::filesystem::path& path, int error) {
  return std::string(what) + " " + path.string() + ": " + std::strerror(error);
}
bool SyncFolder(const std::filesystem::path& folder);

}  // namespace

std::uint64_t ContentHash(ConstBytes bytes) { return Hash64(bytes); }

std::filesystem::path JournalFolder() {
  if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && state[0] == '/') {
    return std::filesystem::path(state) / "tarvo";
  }
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home != nullptr && home[0] != 0 ? home : ".") / ".local" / "state" / "tarvo";
}

std::filesystem::path JournalPath(const std::string& medium) {
  const auto* data = reinterpret_cast<const std::uint8_t*>(medium.data());
  char name[40];
  std::snprintf(name, sizeof name, "update-%016llx.journal",
                static_cast<unsigned long long>(Hash64(ConstBytes(data, medium.size()))));
  return JournalFolder() / name;
}

std::string WriteJournal(const UpdateJournal& journal, const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  if (error) return "Cannot create " + path.parent_path().string() + ": " + error.message();
  ::chmod(path.parent_path().c_str(), 0700);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return Failure("Cannot create", path, errno);
  const std::vector<std::uint8_t> bytes = Encode(journal);
  int failure = WriteWhole(fd, bytes).end == IoEnd::kWhole && ::fdatasync(fd) == 0 ? 0 : errno;
  if (::close(fd) != 0 && failure == 0) failure = errno;
  if (failure == 0 && !SyncFolder(path.parent_path())) failure = errno;
  if (failure == 0) return "";
  ::unlink(path.c_str());  // a journal that may be torn keeps nobody safe
  return Failure("Cannot write", path, failure);
}

JournalRead ReadJournal(const std::filesystem::path& path, UpdateJournal& journal) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return JournalRead::kNone;
  struct stat info {};
  std::vector<std::uint8_t> bytes;
  bool read = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
              static_cast<std::uint64_t>(info.st_size) <= kMostJournalBytes;
  if (read) {
    bytes.resize(static_cast<std::size_t>(info.st_size));
    read = ReadWhole(fd, bytes).end == IoEnd::kWhole;
  }
  ::close(fd);
  return read && Decode(bytes, journal) ? JournalRead::kRead : JournalRead::kTorn;
}

void RemoveJournal(const std::filesystem::path& path) { ::unlink(path.c_str()); }

namespace {

// Every byte equals the next and the first is zero (memcmp is fast).
bool AllZero(const SectorContent& bytes) {
  return bytes[0] == 0 && std::memcmp(&bytes[0], &bytes[1], kSector - 1) == 0;
}

std::vector<std::uint8_t> Encode(const UpdateJournal& journal) {
  std::vector<bool> stored;
  std::size_t size = kMagicLength + 4 + 4 + journal.medium.size() + 4 + 8;
  for (const JournalSector& s : journal.sectors) {
    stored.push_back(!AllZero(s.original));
    size += 8 + 8 * s.versions.size() + (stored.back() ? kSector : 0);
  }
  std::vector<std::uint8_t> bytes(size);
  const Bytes out(bytes);
  std::copy_n(kMagic, kMagicLength, bytes.begin());
  std::size_t at = kMagicLength;
  PutU32(out, at, kVersion);
  PutU32(out, at + 4, static_cast<std::uint32_t>(journal.medium.size()));
  at += 8;
  std::copy(journal.medium.begin(), journal.medium.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
  at += journal.medium.size();
  PutU32(out, at, static_cast<std::uint32_t>(journal.sectors.size()));
  at += 4;
  for (std::size_t i = 0; i < journal.sectors.size(); ++i) {
    const JournalSector& s = journal.sectors[i];
    PutU32(out, at, s.sector);
    PutU16(out, at + 4, static_cast<std::uint16_t>(s.versions.size()));
    PutU16(out, at + 6, stored[i] ? 1 : 0);
    at += 8;
    for (const std::uint64_t hash : s.versions) {
      PutU64(out, at, hash);
      at += 8;
    }
  }
  for (std::size_t i = 0; i < journal.sectors.size(); ++i) {
    if (!stored[i]) continue;
    const SectorContent& original = journal.sectors[i].original;
    std::copy(original.begin(), original.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    at += kSector;
  }
  PutU64(out, at, Hash64(ConstBytes(bytes).first(at)));
  return bytes;
}

// Every count is checked against the bytes left before it is used, so a
// damaged file is never read past its end nor makes us allocate more
// than it holds.
bool Decode(ConstBytes bytes, UpdateJournal& journal) {
  if (bytes.size() < kMagicLength + 4 + 4 + 4 + 8 || !std::equal(kMagic, kMagic + kMagicLength, bytes.begin())) {
    return false;
  }
  const std::size_t end = bytes.size() - 8;
  if (GetU64(bytes, end) != Hash64(bytes.first(end)) || GetU32(bytes, kMagicLength) != kVersion) return false;
  std::size_t at = kMagicLength + 4;
  const std::uint32_t identityLength = GetU32(bytes, at);
  at += 4;
  if (identityLength > kMostIdentityBytes || identityLength + 4 > end - at) return false;
  UpdateJournal read;
  read.medium.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                     bytes.begin() + static_cast<std::ptrdiff_t>(at + identityLength));
  at += identityLength;
  const std::uint32_t count = GetU32(bytes, at);
  at += 4;
  if (count > (end - at) / (8 + 8)) return false;
  read.sectors.resize(count);
  std::vector<bool> stored(count);
  std::size_t storedCount = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    JournalSector& s = read.sectors[i];
    if (end - at < 8) return false;
    s.sector = GetU32(bytes, at);
    const std::uint16_t versions = GetU16(bytes, at + 4);
    const std::uint16_t original = GetU16(bytes, at + 6);
    at += 8;
    if (versions == 0 || versions > kMostSectorVersions || std::size_t{versions} * 8 > end - at || original > 1) {
      return false;
    }
    for (std::uint16_t v = 0; v < versions; ++v, at += 8) s.versions.push_back(GetU64(bytes, at));
    stored[i] = original == 1;
    storedCount += original;
  }
  if (end - at != storedCount * kSector) return false;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (!stored[i]) continue;  // zeros, as the sector was made
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), kSector, read.sectors[i].original.begin());
    at += kSector;
  }
  journal = std::move(read);
  return true;
}

bool SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  const int error = errno;
  ::close(fd);
  errno = error;
  return synced;
}

}  // namespace

}  // namespace tarvo
