#include "device/image_bus.h"

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
#include <cstdlib>
#include <cstring>

#include "base/big_endian.h"
#include "base/messages.h"
#include "device/cdb_fields.h"
#include "device/system_mounts.h"

namespace tarvo {

namespace {

constexpr char kManagerName[] = "Tarvo image bus";
constexpr std::uint8_t kHaStatDataOverrun = 0x12;
constexpr std::size_t kInquiryLength = 36;
// How long an attach waits for another program's update to end.
constexpr std::chrono::seconds kShareWait{10};

struct CartridgeModel {
  int megabytes;
  std::uint32_t sectors;
  const char* product;
};

constexpr CartridgeModel kCartridges[] = {
    {44, 86700, "SQ555"},     {88, 173456, "SQ5110"},   {105, 215440, "SQ3105S"},
    {200, 390696, "SQ5200C"}, {270, 524288, "SQ3270S"},
};

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

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }
MediumArea LocateMedium(int fd, std::uint64_t fileSize);
DeviceMedium QueryDevice(int fd);
const CartridgeModel& NearestModel(std::uint64_t mediumBytes);
bool AllDigits(std::string_view text);
bool MayNotWrite(int error) { return error == EACCES || error == EPERM || error == EROFS; }
bool ReadAt(int fd, std::uint8_t* data, std::size_t length, std::uint64_t offset);
bool WriteAt(int fd, const std::uint8_t* data, std::size_t length, std::uint64_t offset);
bool IsHole(int fd, std::uint64_t offset, std::size_t length, std::uint64_t& holeStart, std::uint64_t& holeEnd);
void ShortenHole(std::uint64_t offset, std::size_t length, std::uint64_t& holeStart, std::uint64_t& holeEnd);
// A read this long over a hole is answered without reading: the file system
// would fill its cache with pages of zeros (a format reads 6 MB of them
// before it clears them). A shorter read is answered so only inside the
// hole already known, since asking where the holes are costs as much as
// the read.
constexpr std::size_t kLargeRun = 32 * 1024;
bool AllZero(const std::uint8_t* data, std::size_t length);
bool BufferHolds(const Srb& srb, std::uint64_t bytes) {
  return bytes == 0 || (srb.buffer != nullptr && srb.bufLen >= bytes);
}
void FailDataOverrun(Srb& srb) {
  srb.haStat = kHaStatDataOverrun;
  srb.status = kSsErr;
}
void Complete(Srb& srb) { srb.status = kSsComp; }

}  // namespace

std::optional<ImageSpec> ParseImageOption(std::string_view text, std::string& error) {
  ImageSpec image;
  bool sawReadOnly = false;
  bool sawBlockSize = false;
  for (int suffix = 0; suffix < 2; ++suffix) {
    const std::size_t comma = text.rfind(',');
    if (comma == std::string_view::npos) break;
    const std::string_view tail = text.substr(comma + 1);
    if (tail == "ro" && !sawReadOnly) {
      image.readOnly = sawReadOnly = true;
    } else if (AllDigits(tail) && !sawBlockSize) {
      if (tail != "512" && tail != "1024") {
        error = "Unsupported block size " + std::string(tail) + " in \"" + std::string(text) +
                "\" (512 or 1024).";
        return std::nullopt;
      }
      image.blockSize = tail == "512" ? 512 : 1024;
      sawBlockSize = true;
    } else {
      break;
    }
    text = text.substr(0, comma);
  }
  if (text.empty()) {
    error = "The image option needs a file name.";
    return std::nullopt;
  }
  image.path = std::string(text);
  return image;
}

std::uint32_t CartridgeSectors(int megabytes) {
  for (const CartridgeModel& model : kCartridges) {
    if (model.megabytes == megabytes) return model.sectors;
  }
  return 0;
}

std::string CreateBlankImage(const std::string& path, int megabytes) {
  if (megabytes < 1 || megabytes > kMostImageMegabytes) {
    return "An image of " + std::to_string(megabytes) + " MB cannot be made (1 to " +
           std::to_string(kMostImageMegabytes) + " MB).";
  }
  const std::uint32_t cartridge = CartridgeSectors(megabytes);
  const std::uint32_t sectors = cartridge != 0 ? cartridge : static_cast<std::uint32_t>(megabytes) * 2048;
  // O_EXCL: an existing file is refused, never truncated.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    if (errno == EEXIST) return "The file " + Quoted(path) + " already exists; it was left unchanged.";
    return "Cannot create " + Quoted(path) + ": " + std::strerror(errno) + ".";
  }
  int error = ::ftruncate(fd, static_cast<off_t>(sectors) * 512) == 0 ? 0 : errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0) return "";
  ::unlink(path.c_str());  // the file is ours: we just created it
  return "Cannot create " + Quoted(path) + ": " + std::strerror(error) + ".";
}

ImageBus::~ImageBus() {
  for (const Drive& drive : drives_) ::close(drive.fd);
}

std::string ImageBus::Attach(const ImageSpec& image) {
  if (drives_.size() >= kMaxImages) return "At most 8 image files can be attached.";
  if (image.blockSize != 512 && image.blockSize != 1024) return "The block size of an image is 512 or 1024 bytes.";
  const std::string name = Quoted(image.path);
  struct stat info {};
  if (::stat(image.path.c_str(), &info) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return "The image file " + name + " does not exist.";
    return "Cannot open the image file " + name + ": " + std::strerror(errno) + ".";
  }
  if (S_ISDIR(info.st_mode)) return name + " is a directory, not an image file.";
  const bool device = S_ISBLK(info.st_mode);
  if (!device && !S_ISREG(info.st_mode)) return name + " is neither an image file nor a block device.";
  const std::string kind = device ? "device " : "image file ";

  Drive drive;
  drive.path = image.path;
  drive.blockSize = image.blockSize;
  if (device) drive.blockDevice = info.st_rdev;
  drive.fd = ::open(image.path.c_str(), O_RDONLY | O_CLOEXEC);
  if (drive.fd < 0) return "Cannot read the " + kind + name + ": " + std::strerror(errno) + ".";
  MediumArea area;
  std::string failure;
  if (device) {
    const DeviceMedium medium = QueryDevice(drive.fd);
    area.length = medium.bytes;
    drive.writeProtected = medium.readOnly;
    if (medium.error != 0) {
      failure = " does not tell its size: " + std::string(std::strerror(medium.error)) + ".";
    } else if (medium.sectorSize != 512 && medium.sectorSize != image.blockSize) {
      failure = " has " + std::to_string(medium.sectorSize) +
                "-byte sectors; a cartridge has 512-byte sectors (or 1024-byte ones, attached with \",1024\").";
    }
  } else {
    area = LocateMedium(drive.fd, static_cast<std::uint64_t>(info.st_size));
  }
  drive.dataOffset = area.offset;
  drive.writeProtected = drive.writeProtected || image.readOnly || area.diskCopy;
  const std::uint64_t blocks = area.length / image.blockSize;
  if (failure.empty() && blocks == 0) failure = " is too small: it does not hold one whole block.";
  if (failure.empty() && blocks > UINT32_MAX) failure = " is too large for a SCSI drive.";
  if (failure.empty() && !drive.writeProtected) {
    const int writable = ::open(image.path.c_str(), O_RDWR | O_CLOEXEC);
    if (writable >= 0) {
      ::close(drive.fd);
      drive.fd = writable;
    } else if (!MayNotWrite(errno)) {
      failure = " cannot be opened for writing.";
    } else {
      drive.writeProtected = true;
    }
  }
  if (!failure.empty()) {
    ::close(drive.fd);
    return "The " + kind + name + failure;
  }
  // Only the DiskCopy header was read before: the medium is read under the lock.
  if (LockShared(drive.fd, kShareWait) == MediumLockResult::kInUse) {
    ::close(drive.fd);
    return kTextVolumeInUse;
  }
  drive.blockCount = static_cast<std::uint32_t>(blocks);
  drive.sparse = !device && static_cast<std::uint64_t>(info.st_blocks) * 512 < static_cast<std::uint64_t>(info.st_size);
  drives_.push_back(drive);
  return "";
}

bool ImageBus::RemovalPrevented(std::uint8_t target) const {
  return target < drives_.size() && drives_[target].removalPrevented;
}

MediumLockResult ImageBus::ClaimMedium(std::uint8_t haId, std::uint8_t target) {
  if (haId != 0 || target >= drives_.size() || drives_[target].writeProtected) return MediumLockResult::kHeld;
  return LockExclusive(drives_[target].fd);
}

std::string ImageBus::WriteRefusal(std::uint8_t haId, std::uint8_t target) {
  if (haId != 0 || target >= drives_.size() || !drives_[target].blockDevice) return "";
  const std::optional<SystemMount> mount = SystemMountOf(*drives_[target].blockDevice);
  if (!mount) return "";
  return "The device " + Quoted(drives_[target].path) + " is mounted by the system (" + mount->source + " on " +
         mount->mountPoint + "); unmount it first.";
}

void ImageBus::ShareMedia() {
  for (const Drive& drive : drives_) {
    if (!drive.writeProtected) LockShared(drive.fd, std::chrono::milliseconds{0});
  }
}

std::uint32_t ImageBus::GetSupportInfo() { return std::uint32_t{kSsComp} << 8 | 1; }

void ImageBus::SendCommand(Srb& srb) {
  if (srb.haId != 0) {
    srb.haCount = 0;
    srb.status = kSsInvalidHa;
    return;
  }
  Drive* drive = FindDrive(srb);
  switch (srb.command) {
    case SrbCommand::kHaInquiry:
      srb.haCount = 1;
      srb.managerId.fill(0);
      std::copy_n(kManagerName, std::min(sizeof kManagerName - 1, srb.managerId.size()), srb.managerId.begin());
      Complete(srb);
      return;
    case SrbCommand::kGetDeviceType:
      if (drive == nullptr) break;
      srb.deviceType = kDeviceTypeDirectAccess;
      Complete(srb);
      return;
    case SrbCommand::kExecScsiCmd:
      if (drive == nullptr) break;
      Execute(*drive, srb);
      return;
    case SrbCommand::kBusDeviceReset:
      if (drive == nullptr) break;
      Complete(srb);
      return;
    default:
      srb.status = kSsInvalidSrb;
      return;
  }
  srb.status = kSsNoDevice;
}

ImageBus::Drive* ImageBus::FindDrive(const Srb& srb) {
  if (srb.lun != 0 || srb.target >= drives_.size()) return nullptr;
  return &drives_[srb.target];
}

void ImageBus::Execute(Drive& drive, Srb& srb) {
  const std::uint8_t opcode = srb.cdb[0];
  switch (opcode) {
    case kOpTestUnitReady:
    case kOpRead6:
    case kOpWrite6:
    case kOpInquiry:
    case kOpPreventAllow:
    case kOpReadCapacity:
    case kOpRead10:
    case kOpWrite10:
    case kOpVerify10:
    case kOpSynchronizeCache10:
      break;
    default:
      FailWithSense(srb, kSenseIllegalRequest, kAscInvalidOpcode);
      return;
  }
  if (srb.cdbLen < CdbLengthOf(opcode) || srb.cdbLen > srb.cdb.size()) {
    FailWithSense(srb, kSenseIllegalRequest, kAscInvalidFieldInCdb);
    return;
  }
  switch (opcode) {
    case kOpInquiry:
      Inquiry(drive, srb);
      return;
    case kOpReadCapacity:
      ReadCapacity(drive, srb);
      return;
    case kOpRead6:
    case kOpWrite6:
    case kOpRead10:
    case kOpWrite10:
      ReadWrite(drive, srb);
      return;
    case kOpVerify10:
      Verify10(drive, srb);
      return;
    case kOpSynchronizeCache10:
      SynchronizeCache(drive, srb);
      return;
    case kOpPreventAllow:
      drive.removalPrevented = (srb.cdb[4] & 1) != 0;
      Complete(srb);
      return;
    default:  // TEST UNIT READY: the cartridge is always in.
      Complete(srb);
      return;
  }
}

// Standard INQUIRY data of a SCSI-2 removable direct-access drive, cut to
// the allocation length; the rest of that length is zero-filled.
void ImageBus::Inquiry(const Drive& drive, Srb& srb) {
  const std::size_t length = std::min<std::size_t>(srb.cdb[4], srb.bufLen);
  if (!BufferHolds(srb, length)) return FailDataOverrun(srb);
  if ((srb.cdb[1] & 0x01) != 0) return UnitSerialNumber(drive, srb, length);
  std::array<std::uint8_t, kInquiryLength> data{};
  data[0] = kDeviceTypeDirectAccess;
  data[1] = 0x80;  // removable medium
  data[2] = 2;     // SCSI-2
  data[3] = 2;     // response data format
  data[4] = kInquiryLength - 5;
  std::fill(data.begin() + 8, data.end(), ' ');
  const auto put = [&data](std::size_t offset, std::string_view text) {
    std::copy(text.begin(), text.end(), data.begin() + offset);
  };
  put(8, "SyQuest ");
  put(16, NearestModel(std::uint64_t{drive.blockCount} * drive.blockSize).product);
  put(32, "1.00");
  if (length == 0) return Complete(srb);
  std::fill_n(srb.buffer, length, 0);
  std::copy_n(data.begin(), std::min(length, data.size()), srb.buffer);
  Complete(srb);
}

void ImageBus::ReadCapacity(const Drive& drive, Srb& srb) {
  if (!BufferHolds(srb, 8)) return FailDataOverrun(srb);
  const Bytes reply(srb.buffer, 8);
  PutU32(reply, 0, drive.blockCount - 1);
  PutU32(reply, 4, drive.blockSize);
  Complete(srb);
}

void ImageBus::ReadWrite(Drive& drive, Srb& srb) {
  const bool write = IsWrite(srb);
  const BlockRange range = DecodeBlockRange(srb);
  if (range.first >= drive.blockCount || range.count > drive.blockCount - range.first) {
    return FailWithSense(srb, kSenseIllegalRequest, kAscLbaOutOfRange);
  }
  const std::size_t bytes = std::size_t{range.count} * drive.blockSize;
  if (!BufferHolds(srb, bytes)) return FailDataOverrun(srb);
  if (write && drive.writeProtected) return FailWithSense(srb, kSenseDataProtect, kAscWriteProtected);
  const std::uint64_t offset = drive.dataOffset + std::uint64_t{range.first} * drive.blockSize;
  const auto isHole = [&drive, offset, bytes] { return IsHole(drive.fd, offset, bytes, drive.holeStart, drive.holeEnd); };
  if (write && AllZero(srb.buffer, bytes) && isHole()) return Complete(srb);
  const bool knownHole = offset >= drive.holeStart && offset + bytes <= drive.holeEnd;
  if (!write && drive.sparse && (knownHole || (bytes >= kLargeRun && isHole()))) {
    std::fill_n(srb.buffer, bytes, 0);
    return Complete(srb);
  }
  if (write) ShortenHole(offset, bytes, drive.holeStart, drive.holeEnd);  // even a failed write may land
  if (write ? WriteAt(drive.fd, srb.buffer, bytes, offset) : ReadAt(drive.fd, srb.buffer, bytes, offset)) {
    return Complete(srb);
  }
  FailWithSense(srb, kSenseMediumError, write ? kAscWriteError : kAscUnrecoveredReadError);
}

// Vital product data: the list of pages, and the unit serial number,
// which names the image file by its device and inode, a block device by
// its number.
void ImageBus::UnitSerialNumber(const Drive& drive, Srb& srb, std::size_t length) {
  constexpr int kSerialLength = 32;
  std::array<std::uint8_t, 4 + kSerialLength + 1> data{};  // and the formatter's closing zero
  data[0] = kDeviceTypeDirectAccess;
  data[1] = srb.cdb[2];
  if (srb.cdb[2] == 0x00) {
    data[3] = 2;
    data[5] = 0x80;
  } else if (srb.cdb[2] == 0x80 && drive.blockDevice) {
    const int n = std::snprintf(reinterpret_cast<char*>(data.data() + 4), data.size() - 4, "blockdev %u:%u",
                                major(*drive.blockDevice), minor(*drive.blockDevice));
    data[3] = static_cast<std::uint8_t>(std::clamp(n, 0, kSerialLength));
  } else if (struct stat info {}; srb.cdb[2] == 0x80 && ::fstat(drive.fd, &info) == 0) {
    const int n = std::snprintf(reinterpret_cast<char*>(data.data() + 4), data.size() - 4, "%016llX%016llX",
                                static_cast<unsigned long long>(info.st_dev),
                                static_cast<unsigned long long>(info.st_ino));
    data[3] = static_cast<std::uint8_t>(std::clamp(n, 0, kSerialLength));
  } else {
    return FailWithSense(srb, kSenseIllegalRequest, kAscInvalidFieldInCdb);
  }
  std::fill_n(srb.buffer, length, 0);
  std::copy_n(data.begin(), std::min<std::size_t>(length, 4 + data[3]), srb.buffer);
  Complete(srb);
}

// What the image's writes left in the system's cache reaches its disk;
// with IMMED its writing back is only started.
void ImageBus::SynchronizeCache(const Drive& drive, Srb& srb) {
  const bool start = (srb.cdb[1] & kSynchronizeImmediate) != 0;
  if (start ? ::sync_file_range(drive.fd, 0, 0, SYNC_FILE_RANGE_WRITE) == 0 : ::fdatasync(drive.fd) == 0) {
    return Complete(srb);
  }
  FailWithSense(srb, kSenseMediumError, kAscWriteError);
}

// The image cannot decay, so a range on the medium verifies.
void ImageBus::Verify10(const Drive& drive, Srb& srb) {
  const BlockRange range = DecodeCdb10(srb);
  if (range.first >= drive.blockCount || range.count > drive.blockCount - range.first) {
    return FailWithSense(srb, kSenseIllegalRequest, kAscLbaOutOfRange);
  }
  Complete(srb);
}

namespace {

// A DiskCopy 4.2 image is recognised by its header: a name of at most 63
// characters, the private word 0x0100 and a file size of exactly the header,
// the data and the tags. Anything else is a plain image.
MediumArea LocateMedium(int fd, std::uint64_t fileSize) {
  constexpr std::size_t kHeaderSize = 84;
  std::array<std::uint8_t, kHeaderSize> header{};
  if (fileSize >= kHeaderSize && ReadAt(fd, header.data(), header.size(), 0)) {
    const std::uint64_t dataSize = GetU32(header, 64);
    const std::uint64_t tagSize = GetU32(header, 68);
    if (header[0] <= 63 && GetU16(header, 82) == 0x0100 && dataSize > 0 &&
        kHeaderSize + dataSize + tagSize == fileSize) {
      return {kHeaderSize, dataSize, true};
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

const CartridgeModel& NearestModel(std::uint64_t mediumBytes) {
  const auto distance = [mediumBytes](const CartridgeModel& model) {
    const std::uint64_t bytes = std::uint64_t{model.sectors} * 512;
    return bytes > mediumBytes ? bytes - mediumBytes : mediumBytes - bytes;
  };
  return *std::min_element(std::begin(kCartridges), std::end(kCartridges),
                           [&](const auto& a, const auto& b) { return distance(a) < distance(b); });
}

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// One pread for the run; the loop only resumes a transfer that a signal
// or the kernel cut short.
bool ReadAt(int fd, std::uint8_t* data, std::size_t length, std::uint64_t offset) {
  while (length > 0) {
    const ssize_t done = ::pread(fd, data, length, static_cast<off_t>(offset));
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;  // an error, or the file shrank under us
    data += done;
    length -= static_cast<std::size_t>(done);
    offset += static_cast<std::uint64_t>(done);
  }
  return true;
}

// Whether the range lies in a hole of a sparse file: it reads as zeros and
// holds no data. A file system that cannot tell answers "data". The hole
// found is remembered in [holeStart, holeEnd).
bool IsHole(int fd, std::uint64_t offset, std::size_t length, std::uint64_t& holeStart, std::uint64_t& holeEnd) {
  if (offset >= holeStart && offset + length <= holeEnd) return true;
  const off_t data = ::lseek(fd, static_cast<off_t>(offset), SEEK_DATA);
  if (data < 0 && errno != ENXIO) return false;
  // ENXIO: no data from offset to the end of the file.
  holeStart = offset;
  holeEnd = data < 0 ? UINT64_MAX : static_cast<std::uint64_t>(data);
  return offset + length <= holeEnd;
}

// A write into the remembered hole leaves the larger of the parts before
// and after it: writes that fill a blank image from its start keep the
// rest of it known as a hole.
void ShortenHole(std::uint64_t offset, std::size_t length, std::uint64_t& holeStart, std::uint64_t& holeEnd) {
  if (offset >= holeEnd || offset + length <= holeStart) return;
  const std::uint64_t before = offset > holeStart ? offset - holeStart : 0;
  const std::uint64_t after = holeEnd > offset + length ? holeEnd - (offset + length) : 0;
  if (after > before) {
    holeStart = offset + length;
  } else {
    holeEnd = std::max(offset, holeStart);
  }
}

// Every byte equals the next and the first is zero (memcmp is fast).
bool AllZero(const std::uint8_t* data, std::size_t length) {
  return length == 0 || (data[0] == 0 && std::memcmp(data, data + 1, length - 1) == 0);
}

bool WriteAt(int fd, const std::uint8_t* data, std::size_t length, std::uint64_t offset) {
  while (length > 0) {
    const ssize_t done = ::pwrite(fd, data, length, static_cast<off_t>(offset));
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    data += done;
    length -= static_cast<std::size_t>(done);
    offset += static_cast<std::uint64_t>(done);
  }
  return true;
}

}  // namespace

}  // namespace tarvo
