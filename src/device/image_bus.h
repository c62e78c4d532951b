// The image bus: SyQuest cartridge drives emulated over image files and
// block devices (the memory card of a SCSI emulator in a card reader, a
// loop device).
//
// The bus is host adapter 0 ("Tarvo image bus"). Each attached image is a
// direct-access drive with a removable cartridge at target 0, 1, 2, ... in
// the order of attachment, at most 8. A drive answers INQUIRY as a SyQuest
// drive whose model fits the image's capacity, READ CAPACITY, READ(6),
// WRITE(6), READ(10), WRITE(10), VERIFY(10), PREVENT/ALLOW MEDIUM REMOVAL,
// TEST UNIT READY and SYNCHRONIZE CACHE (10), which flushes the image file
// to its disk (fdatasync; with IMMED it starts that and answers at once);
// other operation codes fail with ILLEGAL REQUEST. Every command completes
// at once. The vital product data of INQUIRY has the
// unit serial number page (0x80): the image file's device and inode in
// hex, or "blockdev" and a block device's number (major:minor), which
// name the medium (medium_identity.h). A device node's own inode would
// not do: the system makes the node anew when the device comes back.
//
// The medium is the image's whole blocks of `blockSize` bytes; trailing
// bytes that do not fill a block (tag data of some images) are not part of
// it. A DiskCopy 4.2 image presents only its data area, and is write
// protected because a write would invalidate its checksums. An image
// attached read-only, or whose file we may not write, refuses every write
// with DATA PROTECT and is opened read-only, so it is never modified.
//
// A block device is the medium as a whole: its size is the system's, and
// it must have 512-byte sectors (or the 1024-byte sectors of the drive it
// is attached as). A device the system holds read-only (a card's lock
// switch, a read-only loop device) is write protected like a file we may
// not write. While the system has a file system of the device, or of a
// partition of it, mounted, WriteRefusal names it, and nothing may be
// written to it; reading stays allowed.
//
// A READ/WRITE (6 or 10) moves its whole run with one system call. A write
// of zeros over a hole of a sparse image is left out: the image reads back
// the same zeros, and stays sparse; a read of 32 KB or more over a hole
// of an image that was sparse when attached, or a shorter one inside a
// hole already found, is answered with zeros without reading the file.
// Where the holes are is asked of the file system once per hole: the
// answer holds until a write lands in it. A run that leaves the medium
// fails with ILLEGAL REQUEST (LBA out of range) and moves nothing; a buffer
// shorter than the run fails with the adapter status "data overrun" and
// moves nothing.
//
// Every attached image is locked shared for as long as it is attached
// (medium_lock.h); while another program holds it exclusive, the attach
// waits up to 10 seconds for that program's update to end, and is then
// refused: "The volume is in use by another program.". A claim makes a
// writable image exclusive; an image that refuses writes is never claimed,
// and stays shared.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/scsi_manager.h"

namespace tarvo {

inline constexpr std::size_t kMaxImages = 8;

struct ImageSpec {
  std::string path;
  bool readOnly = false;
  std::uint16_t blockSize = 512;  // 512 or 1024
};

// Reads the option text PATH, PATH,ro, PATH,1024, PATH,ro,1024 or
// PATH,1024,ro (",512" names the default block size). Only those trailing
// suffixes count, so a path may contain commas. A trailing number that is
// not a supported block size is an error, as is an empty path.
std::optional<ImageSpec> ParseImageOption(std::string_view text, std::string& error);

// Sectors of 512 bytes on a SyQuest cartridge of 44, 88, 105, 200 or 270 MB;
// 0 for any other size.
std::uint32_t CartridgeSectors(int megabytes);

// The largest blank image made, in MB.
inline constexpr int kMostImageMegabytes = 2048;

// Creates a zero-filled (sparse) image: of a blank cartridge for the five
// cartridge sizes, else of megabytes * 2048 sectors (1 to
// kMostImageMegabytes). Refuses an existing file, which stays untouched,
// and any other size. Returns "" or the reason for the failure.
std::string CreateBlankImage(const std::string& path, int megabytes);

class ImageBus : public ScsiManager {
 public:
  ImageBus() = default;
  ~ImageBus() override;
  ImageBus(const ImageBus&) = delete;
  ImageBus& operator=(const ImageBus&) = delete;

  // Attaches the image file or block device as the next target. Returns ""
  // or the reason it cannot be used (missing, unreadable, a directory,
  // another kind of file, too small, sectors of another size, too many).
  std::string Attach(const ImageSpec& image);
  std::size_t DriveCount() const { return drives_.size(); }
  // Whether the last PREVENT/ALLOW MEDIUM REMOVAL sent to the drive prevented it.
  bool RemovalPrevented(std::uint8_t target) const;

  std::uint32_t GetSupportInfo() override;
  void SendCommand(Srb& srb) override;
  MediumLockResult ClaimMedium(std::uint8_t haId, std::uint8_t target) override;
  void ShareMedia() override;
  std::string WriteRefusal(std::uint8_t haId, std::uint8_t target) override;

 private:
  struct Drive {
    int fd = -1;
    std::string path;
    std::optional<dev_t> blockDevice;  // the device's number, for a block device
    std::uint64_t dataOffset = 0;  // where the medium starts in the file
    std::uint32_t blockCount = 0;
    std::uint16_t blockSize = 512;
    bool writeProtected = false;
    bool removalPrevented = false;
    bool sparse = false;  // the file had holes when attached
    // A range of the file known to be a hole, from the last query; writes
    // sent into it shorten it.
    std::uint64_t holeStart = 0;
    std::uint64_t holeEnd = 0;
  };

  Drive* FindDrive(const Srb& srb);
  void Execute(Drive& drive, Srb& srb);
  void Inquiry(const Drive& drive, Srb& srb);
  void ReadCapacity(const Drive& drive, Srb& srb);
  void ReadWrite(Drive& drive, Srb& srb);
  void Verify10(const Drive& drive, Srb& srb);
  void UnitSerialNumber(const Drive& drive, Srb& srb, std::size_t length);
  void SynchronizeCache(const Drive& drive, Srb& srb);

  std::vector<Drive> drives_;
};

}  // namespace tarvo
