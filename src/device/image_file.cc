#include "device/image_file.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "base/messages.h"
#include "base/whole_io.h"
#include "device/disk_copy.h"

namespace tarvo {

namespace {

// How long an opening waits for another program's update to end.
constexpr std::chrono::seconds kShareWait{10};
// A read this long over a hole is answered without reading: the file system
// would fill its cache with pages of zeros (a format reads 6 MB of them
// before it clears them). A shorter read is answered so only inside the
// hole already known, since asking where the holes are costs as much as
// the read.
constexpr std::size_t kLargeRun = 32 * 1024;

// Where the medium lies in an image file.
struct MediumArea {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  bool diskCopy = false;
};

// What the system tells of a block device: its size in bytes, its logical
// sector size and whether it refuses writes; `error` when it would not.
struct DeviceMedium {
  std::uint64_t bytes = 0;
  int sectorSize = 0;
  bool readOnly = false;
  int error = 0;
};

MediumArea LocateMedium(int fd, std::uint64_t fileSize);
DeviceMedium QueryDevice(int fd);
bool MayNotWrite(int error) { return error == EACCES || error == EPERM || error == EROFS; }
// Every byte equals the next and the first is zero (memcmp is fast).
bool AllZero(ConstBytes bytes) {
  return bytes.empty() || (bytes[0] == 0 && std::memcmp(bytes.data(), bytes.data() + 1, bytes.size() - 1) == 0);
}

}  // namespace

ImageFile::~ImageFile() {
  if (fd_ >= 0) ::close(fd_);
}

ImageFile::ImageFile(ImageFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)),
      blockDevice_(other.blockDevice_),
      dataOffset_(other.dataOffset_),
      blockCount_(other.blockCount_),
      blockSize_(other.blockSize_),
      writeProtected_(other.writeProtected_),
      sparse_(other.sparse_),
      hole_(other.hole_) {}

std::string ImageFile::Open(const ImageSpec& image) {
  if (image.blockSize != 512 && image.blockSize != 1024) return "The block size of an image is 512 or 1024 bytes.";
  const std::string name = "\"" + image.path + "\"";
  struct stat info {};
  if (::stat(image.path.c_str(), &info) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return "The image file " + name + " does not exist.";
    return "Cannot open the image file " + name + ": " + std::strerror(errno) + ".";
  }
  if (S_ISDIR(info.st_mode)) return name + " is a directory, not an image file.";
  const bool device = S_ISBLK(info.st_mode);
  if (!device && !S_ISREG(info.st_mode)) return name + " is neither an image file nor a block device.";
  const std::string kind = device ? "device " : "image file ";

  int fd = ::open(image.path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return "Cannot read the " + kind + name + ": " + std::strerror(errno) + ".";
  MediumArea area;
  bool writeProtected = false;
  std::string failure;
  if (device) {
    const DeviceMedium medium = QueryDevice(fd);
    area.length = medium.bytes;
    writeProtected = medium.readOnly;
    if (medium.error != 0) {
      failure = " does not tell its size: " + std::string(std::strerror(medium.error)) + ".";
    } else if (medium.sectorSize != 512 && medium.sectorSize != image.blockSize) {
      failure = " has " + std::to_string(medium.sectorSize) +
                "-byte sectors; a cartridge has 512-byte sectors (or 1024-byte ones, attached with \",1024\").";
    }
  } else {
    area = LocateMedium(fd, static_cast<std::uint64_t>(info.st_size));
  }
  writeProtected = writeProtected || image.readOnly || area.diskCopy;
  const std::uint64_t blocks = area.length / image.blockSize;
  if (failure.empty() && blocks == 0) failure = " is too small: it does not hold one whole block.";
  if (failure.empty() && blocks > UINT32_MAX) failure = " is too large for a SCSI drive.";
  if (failure.empty() && !writeProtected) {
    const int writable = ::open(image.path.c_str(), O_RDWR | O_CLOEXEC);
    if (writable >= 0) {
      ::close(fd);
      fd = writable;
    } else if (!MayNotWrite(errno)) {
      failure = " cannot be opened for writing.";
    } else {
      writeProtected = true;
    }
  }
  if (!failure.empty()) {
    ::close(fd);
    return "The " + kind + name + failure;
  }
  // Only the DiskCopy header was read before: the medium is read under the lock.
  if (LockShared(fd, kShareWait) == MediumLockResult::kInUse) {
    ::close(fd);
    return kTextVolumeInUse;
  }
  fd_ = fd;
  path_ = image.path;
  if (device) blockDevice_ = info.st_rdev;
  dataOffset_ = area.offset;
  blockCount_ = static_cast<std::uint32_t>(blocks);
  blockSize_ = image.blockSize;
  writeProtected_ = writeProtected;
  sparse_ = !device && static_cast<std::uint64_t>(info.st_blocks) * 512 < static_cast<std::uint64_t>(info.st_size);
  return "";
}

bool ImageFile::Read(std::uint32_t firstBlock, Bytes out) {
  const std::uint64_t offset = dataOffset_ + std::uint64_t{firstBlock} * blockSize_;
  const bool hole = sparse_ && (hole_.Covers(offset, out.size()) ||
                                 (out.size() >= kLargeRun && hole_.Find(fd_, offset, out.size())));
  if (hole) {
    std::fill(out.begin(), out.end(), 0);
    return true;
  }
  return ReadWholeAt(fd_, out, offset).end == IoEnd::kWhole;
}

bool ImageFile::Write(std::uint32_t firstBlock, ConstBytes bytes) {
  const std::uint64_t offset = dataOffset_ + std::uint64_t{firstBlock} * blockSize_;
  if (AllZero(bytes) && hole_.Find(fd_, offset, bytes.size())) return true;
  hole_.Shorten(offset, bytes.size());  // even a failed write may land
  return WriteWholeAt(fd_, bytes, offset).end == IoEnd::kWhole;
}

bool ImageFile::Sync(bool start) const {
  return start ? ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE) == 0 : ::fdatasync(fd_) == 0;
}

std::optional<std::string> ImageFile::Identity() const {
  std::array<char, 40> text{};
  if (blockDevice_) {
    std::snprintf(text.data(), text.size(), "blockdev %u:%u", major(*blockDevice_), minor(*blockDevice_));
    return std::string(text.data());
  }
  struct stat info {};
  if (::fstat(fd_, &info) != 0) return std::nullopt;
  std::snprintf(text.data(), text.size(), "%016llX%016llX", static_cast<unsigned long long>(info.st_dev),
                static_cast<unsigned long long>(info.st_ino));
  return std::string(text.data());
}

MediumLockResult ImageFile::LockExclusive() { return tarvo::LockExclusive(fd_); }

void ImageFile::Share() { LockShared(fd_, std::chrono::milliseconds{0}); }

namespace {

// A DiskCopy 4.2 image presents its data area; anything else is a plain image.
MediumArea LocateMedium(int fd, std::uint64_t fileSize) {
  std::array<std::uint8_t, kDiskCopyHeaderSize> header{};
  if (fileSize >= header.size() && ReadWholeAt(fd, header, 0).end == IoEnd::kWhole) {
    if (const std::optional<DiskCopyData> data = DiskCopyDataArea(header, fileSize)) {
      return {data->offset, data->length, true};
    }
  }
  return {0, fileSize, false};
}

DeviceMedium QueryDevice(int fd) {
  DeviceMedium medium;
  int readOnly = 0;
  if (::ioctl(fd, BLKGETSIZE64, &medium.bytes) != 0 || ::ioctl(fd, BLKSSZGET, &medium.sectorSize) != 0 ||
      ::ioctl(fd, BLKROGET, &readOnly) != 0) {
    medium.error = errno;
  }
  medium.readOnly = readOnly != 0;
  return medium;
}

}  // namespace

}  // namespace tarvo
