// Settings of the run that no other record holds. Nothing is saved between
// runs: every value starts as below and changes only for this run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/copy_tally.h"
#include "base/user_interface.h"

namespace tarvo {

// The flags word shared by the copy mode and the listing mode.
inline constexpr std::uint16_t kCopyData = 0x1;
inline constexpr std::uint16_t kCopyResource = 0x2;
inline constexpr std::uint16_t kCopyMacBinary = 0x4;
inline constexpr std::uint16_t kCopyBinHex = 0x8;
inline constexpr std::uint16_t kCopyAppleSingle = 0x10;
inline constexpr std::uint16_t kCopyAppleDouble = 0x20;
// Files of type TEXT as UTF-8 text with LF line ends, others as kCopyData.
inline constexpr std::uint16_t kCopyText = 0x40;
// The copy-mode bits; exactly one of them is set.
inline constexpr std::uint16_t kCopyModeBits =
    kCopyData | kCopyResource | kCopyMacBinary | kCopyBinHex | kCopyAppleSingle | kCopyAppleDouble | kCopyText;
// The flags with their copy mode changed to `mode`, one of the bits above.
inline std::uint16_t WithCopyMode(std::uint16_t flags, std::uint16_t mode) {
  return static_cast<std::uint16_t>((flags & ~kCopyModeBits) | (mode & kCopyModeBits));
}
// The copy modes by the names scripts and typed answers give them, in the
// Options menu's order.
struct CopyModeName {
  const char* name;
  std::uint16_t bit;
};
inline constexpr CopyModeName kCopyModeNames[] = {
    {"data", kCopyData},           {"resource", kCopyResource},       {"macbinary", kCopyMacBinary},
    {"binhex", kCopyBinHex},       {"applesingle", kCopyAppleSingle}, {"appledouble", kCopyAppleDouble},
    {"text", kCopyText},
};
inline constexpr std::uint16_t kCopyDirectory = 0x80;
inline constexpr std::uint16_t kFilesOnly = 0x100;
inline constexpr std::uint16_t kListExtended = 0x200;
inline constexpr std::uint16_t kListSignature = 0x800;

enum class NamingMode : std::uint8_t { kLong = 0, kShort = 1, kOnTheFly = 2 };

struct ProgramSettings {
  std::uint16_t modeFlags = kCopyData;  // copy mode, listing mode, filesOnly
  NamingMode namingMode = NamingMode::kLong;
  bool longNamesAvailable = true;
  std::uint8_t outputPort = 0;  // 0 file, 1-3 LPT1-LPT3, 4-7 COM1-COM4
  bool useCurrentDirectory = false;
  // Files handled by copies in either direction since the start (wraps);
  // it numbers the names that would clash with an existing file.
  std::uint16_t copiedFileCount = 0;
  CopyTally copies;  // since the front end last cleared it
  // The start-up's answer to every PC name a copy finds taken; without it
  // the user is asked.
  std::optional<ExistingFileAction> existingFiles;
  bool mediumLocked = false;
  // The name typed in the last "Formatting" dialog of the run, offered again.
  std::string formatName = "Untitled";
  std::uint16_t partitionCount = 1;
  std::string savedPcDirectory;  // restored at shutdown
  std::string helpFilePath;
  std::string windowTitle = "Tarvo";  // "Tarvo : " and the volume name once one is open
  // Exit was asked for (menu 105, QUIT); the front end confirms and ends.
  bool closeRequested = false;
};

}  // namespace tarvo
