#include "device/medium_identity.h"

#include <array>

#include "base/big_endian.h"
#include "base/engine.h"
#include "device/scsi_commands.h"
#include "device/scsi_manager.h"

namespace tarvo {

namespace {

constexpr std::uint8_t kUnitSerialPage = 0x80;

// Printable bytes of the range; a drive pads its fields with blanks.
std::string Text(ConstBytes bytes) {
  std::string text;
  for (const std::uint8_t c : bytes) text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '.';
  return text;
}

}  // namespace

std::string MediumIdentity(Engine& ctx, std::uint8_t adapter, std::uint8_t target) {
  std::array<std::uint8_t, 100> inquiry{};
  ScsiInquiry(ctx, adapter, target, inquiry);
  const std::string vendorProduct = Text(ConstBytes(inquiry).subspan(8, 24));
  std::array<std::uint8_t, 255> page{};
  const bool serial = ScsiInquiryPage(ctx, adapter, target, kUnitSerialPage, page) == kSsComp &&
                      page[1] == kUnitSerialPage && page[3] != 0 && page[3] <= page.size() - 4;
  std::string name;
  if (serial) {
    name.append("serial ").append(vendorProduct).append(" ").append(Text(ConstBytes(page).subspan(4, page[3])));
  } else {
    name.append("scsi ").append(std::to_string(adapter)).append(":").append(std::to_string(target));
    name.append(" ").append(vendorProduct).append(" ").append(Text(ConstBytes(inquiry).subspan(32, 4)));
  }
  std::array<std::uint8_t, 512> capacity{};
  if (ScsiReadCapacity(ctx, adapter, target, capacity) == kSsComp) {
    name.append(" ").append(std::to_string(std::uint64_t{GetU32(capacity, 0)} + 1));
    name.append("x").append(std::to_string(GetU32(capacity, 4)));
  }
  return name;
}

}  // namespace tarvo
