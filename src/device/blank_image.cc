#include "device/blank_image.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "device/cartridge_models.h"

namespace tarvo {

std::string CreateBlankImage(const std::string& path, int megabytes) {
  if (megabytes < 1 || megabytes > kMostImageMegabytes) {
    return "An image of " + std::to_string(megabytes) + " MB cannot be made (1 to " +
           std::to_string(kMostImageMegabytes) + " MB).";
  }
  const std::string name = "\"" + path + "\"";
  const std::uint32_t cartridge = CartridgeSectors(megabytes);
  const std::uint32_t sectors = cartridge != 0 ? cartridge : static_cast<std::uint32_t>(megabytes) * 2048;
  // O_EXCL: an existing file is refused, never truncated.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    if (errno == EEXIST) return "The file " + name + " already exists; it was left unchanged.";
    return "Cannot create " + name + ": " + std::strerror(errno) + ".";
  }
  int error = ::ftruncate(fd, static_cast<off_t>(sectors) * 512) == 0 ? 0 : errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0) return "";
  ::unlink(path.c_str());  // the file is ours: we just created it
  return "Cannot create " + name + ": " + std::strerror(error) + ".";
}

}  // namespace tarvo
