// The image bus: SyQuest cartridge drives emulated over image files and
// block devices (image_file.h).
//
// The bus is host adapter 0 ("Tarvo image bus"). Each attached image is a
// direct-access drive with a removable cartridge at target 0, 1, 2, ... in
// the order of attachment, at most 8. A drive answers INQUIRY as a SyQuest
// drive whose model fits the image's capacity, READ CAPACITY, READ(6),
// WRITE(6), READ(10), WRITE(10), VERIFY(10), PREVENT/ALLOW MEDIUM REMOVAL,
// TEST UNIT READY and SYNCHRONIZE CACHE (10), which flushes the image file
// to its disk (fdatasync; with IMMED it starts that and answers at once);
// other operation codes fail with ILLEGAL REQUEST. Every command completes
// at once. The vital product data of INQUIRY has the unit serial number
// page (0x80): the image's identity, which names the medium
// (medium_identity.h).
//
// A write-protected image refuses every write with DATA PROTECT. While the
// system has a file system of a block device, or of a partition of it,
// mounted, WriteRefusal names it, and nothing may be written to it;
// reading stays allowed.
//
// A READ/WRITE (6 or 10) that leaves the medium fails with ILLEGAL REQUEST
// (LBA out of range) and moves nothing; a buffer shorter than the run
// fails with the adapter status "data overrun" and moves nothing.
//
// Every attached image is locked shared for as long as it is attached. A
// claim makes a writable image exclusive; an image that refuses writes is
// never claimed, and stays shared.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device/image_file.h"
#include "device/scsi_manager.h"

namespace tarvo {

inline constexpr std::size_t kMaxImages = 8;

class ImageBus : public ScsiManager {
 public:
  ImageBus() = default;
  ImageBus(const ImageBus&) = delete;
  ImageBus& operator=(const ImageBus&) = delete;

  // Attaches the image file or block device as the next target. Returns ""
  // or the reason it cannot be used (ImageFile::Open, or too many).
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
    ImageFile file;
    bool removalPrevented = false;
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
