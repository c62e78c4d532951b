#include "fuzz_medium.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "device/drive_selection.h"
#include "hfs/work_file.h"

namespace tarvo::fuzz {

namespace {

constexpr std::size_t kSector = 512;

int MediumFile();
const std::filesystem::path& ScratchFolder();
bool IsEmptyFolder(const std::filesystem::path& folder);

}  // namespace

FuzzMedium::FuzzMedium(const std::uint8_t* data, std::size_t size, std::size_t minimumSectors)
    : scratch_(ScratchFolder()) {
  ctx.ui = &ui;
  ctx.scsi = &bus_;
  const int fd = MediumFile();
  const std::size_t padded = std::max((size + kSector - 1) / kSector, minimumSectors) * kSector;
  if (::ftruncate(fd, 0) != 0 || ::ftruncate(fd, static_cast<off_t>(padded)) != 0 ||
      (size > 0 && ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))) {
    std::perror("fuzz medium");
    std::abort();
  }
  attached_ = bus_.Attach({"/proc/self/fd/" + std::to_string(fd), false, 512}).empty();
  ctx.device.hostAdapterId = 0;
  ctx.volume.adapterKind = AdapterKind::kAspi;
  ctx.volume.targetId = 0;
  ctx.volume.sectorSize = 512;
  ctx.device.sectorEntry = SectorEntryKind::k512;
  if (attached_) ctx.volume.deviceSectors = ReadCapacityChecked(ctx, 0, 0);
  std::error_code error;
  savedDirectory_ = std::filesystem::current_path(error);
  std::filesystem::current_path(scratch_, error);
}

FuzzMedium::~FuzzMedium() {
  CloseWorkFiles(ctx);
  std::error_code error;
  std::filesystem::current_path(savedDirectory_, error);
  if (!IsEmptyFolder(scratch_)) {
    std::fprintf(stderr, "fuzz medium: files left behind in %s\n", scratch_.c_str());
    std::abort();
  }
}

void FuzzMedium::RemovePcFiles() {
  std::error_code error;
  std::vector<std::filesystem::path> written;
  for (const auto& entry : std::filesystem::directory_iterator(scratch_, error)) written.push_back(entry.path());
  for (const std::filesystem::path& path : written) std::filesystem::remove_all(path, error);
}

namespace {

// One in-memory file for the whole process, refilled for every input.
int MediumFile() {
  static const int fd = ::memfd_create("tarvo-fuzz-medium", MFD_CLOEXEC);
  if (fd < 0) {
    std::perror("memfd_create");
    std::abort();
  }
  return fd;
}

// A folder of our own under the system's temporary folder, made the
// temporary folder of the work files; removed (it is empty) at exit. The
// path is never destroyed: the exit handler runs after static destructors
// registered later, and would otherwise find it gone.
const std::filesystem::path& ScratchFolder() {
  static const std::filesystem::path* const folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvo-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      std::perror("mkdtemp");
      std::abort();
    }
    ::setenv("TMPDIR", pattern.c_str(), 1);
    auto* path = new std::filesystem::path(pattern);
    std::atexit([] {
      std::error_code error;
      std::filesystem::remove_all(ScratchFolder(), error);
    });
    return path;
  }();
  return *folder;
}

bool IsEmptyFolder(const std::filesystem::path& folder) {
  std::error_code error;
  return std::filesystem::directory_iterator(folder, error) == std::filesystem::directory_iterator();
}

}  // namespace

}  // namespace tarvo::fuzz
