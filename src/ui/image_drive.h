// Images attached while the program runs: the desktop program's "Open
// image..." and "New image...", an image given on its command line or
// dropped on its window. The image becomes the selected drive and its
// volume is opened, as choosing its drive in DLG_DEV and confirming does.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace tarvo {

struct Context;
class DriveBus;

// What became of an image to open.
enum class ImageOpening {
  kOpened,        // its volume is open and listed
  kNoMacVolume,   // attached and selected, but it holds no Macintosh volume
  kRefused,       // not attached (the message box said why) or not answering
};

// Attaches the image (DriveBus::AttachImage; a file already attached is
// selected again), selects its drive and opens its volume. Without a
// Macintosh volume the status line says "This is not a Macintosh volume.".
ImageOpening OpenImageDrive(Context& ctx, DriveBus& bus, const std::string& path);

// Creates a blank image of that size (CreateBlankImage), selects it and
// runs the format ("Formatting", without the drive question), which opens
// the new volume. Cancelled, the blank image stays attached.
ImageOpening CreateImageDrive(Context& ctx, DriveBus& bus, const std::string& path, int megabytes);

// The name endings of image files, lower case without the dot.
std::span<const std::string_view> ImageExtensions();

// Whether a PC file is a disk image: a block device, or a file with an
// image extension (any case) or with an Apple partition map or an HFS
// volume header at its start.
bool LooksLikeImage(const std::filesystem::path& path);

}  // namespace tarvo
