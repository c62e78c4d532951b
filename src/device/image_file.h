// An image file or block device that holds a cartridge's medium (the
// memory card of a SCSI emulator in a card reader, a loop device).
//
// The medium is the image's whole blocks of `blockSize` bytes; trailing
// bytes that do not fill a block (tag data of some images) are not part of
// it. A DiskCopy 4.2 image presents only its data area, and is write
// protected because a write would invalidate its checksums. An image
// opened read-only, or whose file we may not write, is write protected and
// opened read-only, so it is never modified.
//
// A block device is the medium as a whole: its size is the system's, and
// it must have 512-byte sectors (or the 1024-byte sectors asked for). A
// device the system holds read-only (a card's lock switch, a read-only
// loop device) is write protected like a file we may not write.
//
// A read or write of a run of blocks is one system call. A write of zeros
// over a hole of a sparse image is left out: the image reads back the same
// zeros, and stays sparse; a read of 32 KB or more over a hole of an image
// that was sparse when opened, or a shorter one inside a hole already
// found, is answered with zeros without reading the file (hole_cache.h).
//
// An open image is locked shared (medium_lock.h); while another program
// holds it exclusive, the opening waits up to 10 seconds for that
// program's update to end, and is then refused: "The volume is in use by
// another program.".
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

#include "base/big_endian.h"
#include "device/hole_cache.h"
#include "device/medium_lock.h"

namespace tarvo {

struct ImageSpec {
  std::string path;
  bool readOnly = false;
  std::uint16_t blockSize = 512;  // 512 or 1024
};

class ImageFile {
 public:
  ImageFile() = default;
  ~ImageFile();
  ImageFile(ImageFile&& other) noexcept;
  ImageFile& operator=(ImageFile&&) = delete;
  ImageFile(const ImageFile&) = delete;
  ImageFile& operator=(const ImageFile&) = delete;

  // Opens the image; "" or the reason it cannot be used (missing,
  // unreadable, a directory, another kind of file, too small, sectors of
  // another size, in use). A failed opening leaves the file closed.
  std::string Open(const ImageSpec& image);

  const std::string& Path() const { return path_; }
  // The device's number, for a block device.
  std::optional<dev_t> BlockDevice() const { return blockDevice_; }
  std::uint32_t BlockCount() const { return blockCount_; }
  std::uint16_t BlockSize() const { return blockSize_; }
  bool WriteProtected() const { return writeProtected_; }

  // The blocks from firstBlock on, as many as the span holds; the caller
  // keeps the run on the medium. False when the system failed.
  bool Read(std::uint32_t firstBlock, Bytes out);
  bool Write(std::uint32_t firstBlock, ConstBytes bytes);
  // What the writes left in the system's cache reaches the disk; with
  // `start` its writing back is only started.
  bool Sync(bool start) const;

  // Names the medium: "blockdev" and a block device's number (major:minor),
  // or the image file's device and inode in hex; none when the system does
  // not tell. A device node's own inode would not do: the system makes the
  // node anew when the device comes back.
  std::optional<std::string> Identity() const;

  MediumLockResult LockExclusive();
  // An exclusive lock of ours becomes shared again.
  void Share();

 private:
  int fd_ = -1;
  std::string path_;
  std::optional<dev_t> blockDevice_;
  std::uint64_t dataOffset_ = 0;  // where the medium starts in the file
  std::uint32_t blockCount_ = 0;
  std::uint16_t blockSize_ = 512;
  bool writeProtected_ = false;
  bool sparse_ = false;  // the file had holes when opened
  HoleCache hole_;
};

}  // namespace tarvo
