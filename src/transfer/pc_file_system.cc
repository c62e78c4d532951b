#include "transfer/pc_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "hfs/mac_date.h"

namespace tarvo {

namespace {

std::FILE* OpenFd(int fd) {
  if (fd < 0) return nullptr;
  std::FILE* file = fdopen(fd, "r+b");
  if (file == nullptr) close(fd);
  return file;
}

}  // namespace

std::string OutputPortName(int port) {
  if (port >= 1 && port <= 3) return "LPT" + std::to_string(port);
  if (port >= 4 && port <= 7) return "COM" + std::to_string(port - 3);
  return "";
}

std::string OutputPortPath(int port) {
  const std::string name = OutputPortName(port);
  if (name.empty()) return "";
  if (const char* path = std::getenv(("TARVO_" + name).c_str()); path != nullptr && *path != '\0') return path;
  return port <= 3 ? "/dev/lp" + std::to_string(port - 1) : "/dev/ttyS" + std::to_string(port - 4);
}

std::FILE* OpenOutputPort(int port) {
  const std::string path = OutputPortPath(port);
  if (path.empty()) return nullptr;
  // Read and write so that opening a FIFO does not wait for its reader.
  return OpenFd(open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0666));
}

bool LongNamesSupported(const std::filesystem::path& dir) {
  const long max = pathconf(dir.c_str(), _PC_NAME_MAX);
  return max < 0 || max >= 255;
}

bool EnoughPcSpace(PcFreeSpace& space, const std::filesystem::path& dir, std::uint64_t byteCount) {
  const auto enough = [&space, byteCount] { return space.freeUnits > byteCount / space.unit; };
  const bool fresh = space.unit != 0 && space.dir == dir && enough() &&
                     (space.freeUnits - byteCount / space.unit) * space.unit >= kPcSpaceRecheck;
  if (!fresh) {
    space = PcFreeSpace{dir};
    struct statvfs info {};
    if (statvfs(dir.c_str(), &info) != 0) return true;
    space.unit = info.f_frsize != 0 ? info.f_frsize : info.f_bsize;
    space.freeUnits = info.f_bavail;
    if (space.unit == 0) return true;
    if (!enough()) return false;
  }
  space.freeUnits -= std::min(space.freeUnits, (byteCount + space.unit - 1) / space.unit);
  return true;
}

std::FILE* CreateNewPcFile(const std::filesystem::path& path, bool& exists) {
  // fopen() rather than fdopen(): no query of the descriptor's flags.
  std::FILE* file = std::fopen(path.c_str(), "w+bxe");
  exists = file == nullptr && errno == EEXIST;
  // Unbuffered, so stdio does not ask the file's block size either.
  if (file != nullptr) std::setvbuf(file, nullptr, _IONBF, 0);
  return file;
}

PcDirectory MakePcDirectory(const std::filesystem::path& path) {
  if (mkdir(path.c_str(), 0777) == 0) return PcDirectory::kMade;
  if (errno != EEXIST) return PcDirectory::kFailed;
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return PcDirectory::kFailed;
  return S_ISDIR(info.st_mode) ? PcDirectory::kExists : PcDirectory::kNameTaken;
}

std::FILE* OpenPcFileToRead(const std::filesystem::path& path) {
  std::FILE* file = std::fopen(path.c_str(), "rbe");
  if (file != nullptr) std::setvbuf(file, nullptr, _IONBF, 0);
  return file;
}

bool SetPcFileDate(std::FILE* file, std::uint32_t macDate) {
  if (std::fflush(file) != 0) return false;
  const struct timespec when {MacDateToPcTime(macDate), 0};
  const struct timespec times[2] = {when, when};
  return futimens(fileno(file), times) == 0;
}

}  // namespace tarvo
