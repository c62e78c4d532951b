#include "maintenance/driver_image.h"

#include "base/big_endian.h"

namespace tarvo {

std::vector<std::uint8_t> DriverImage(std::uint32_t deviceSectors) {
  std::vector<std::uint8_t> image(kDriverImageSize, 0);
  // MOVEQ #-1,D0; RTS: the driver refuses to open.
  PutU32(image, 0, 0x70FF4E75);
  PutU32(image, kDriverSectorCountOffset, deviceSectors);
  return image;
}

}  // namespace tarvo
