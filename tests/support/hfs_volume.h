// Real HFS volumes for tests: built with hfsutils (run as a black box) and
// opened through the image bus and the sector layer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device/image_bus.h"
#include "ui/context.h"
#include "support/scripted_ui.h"

namespace tarvo::testing {

// The text in single quotes for the shell.
std::string ShellQuote(const std::string& text);

// Creates a zeroed image of `kilobytes` and formats it as one bare HFS
// volume named `label`. hfsutils keeps its state in `home`.
bool MakeHfsVolume(const std::string& home, const std::string& image, const std::string& label, int kilobytes);
// Mounts the image with hfsutils, runs the shell commands (hmkdir, hcopy,
// hattrib, ...) and unmounts; true when every one succeeded.
bool RunHfsutils(const std::string& home, const std::string& image, const std::vector<std::string>& commands);
// Formats HFS partition `partition` (counted from 1 among the HFS entries)
// of an image that already holds a partition map.
bool FormatHfsPartition(const std::string& home, const std::string& image, const std::string& label, int partition);
// A medium of `blocks` 512-byte blocks with a driver descriptor and a map
// of four entries (the map, a driver, the HFS partition, free space), the
// HFS partition of `partitionBlocks` starting at block 96 formatted by
// hformat as `label`.
bool MakeMappedHfsVolume(const std::string& home, const std::string& image, const std::string& label,
                         std::uint32_t partitionBlocks);
inline constexpr std::uint32_t kMappedPartitionStart = 96;
// Mounts the image with hfsutils, runs one command (hls, ...) and returns
// what it printed on standard output; "" when the mount failed.
std::string HfsutilsOutput(const std::string& home, const std::string& image, const std::string& command);

// A file as hfsutils extracts it (hcopy -m: MacBinary); its forks stay
// empty when the extraction is cut short.
struct ExtractedFile {
  bool found = false;
  std::string type, creator;
  std::uint16_t finderFlags = 0;
  std::vector<std::uint8_t> data, rsrc;
  std::uint32_t created = 0, modified = 0;
};
ExtractedFile HfsutilsExtract(const std::string& home, const std::string& image, const std::string& macPath);

// A MacBinary II file with both forks, which `hcopy -m` turns into a file.
std::vector<std::uint8_t> MacBinaryFile(const std::string& name, const std::string& type, const std::string& creator,
                                        const std::vector<std::uint8_t>& data, const std::vector<std::uint8_t>& rsrc,
                                        std::uint32_t created = 0, std::uint32_t modified = 0);

// An image on the image bus, selected as drive 0 of adapter 0 in a context
// with the scripted user interface; Mount reads the volume header, copies
// the catalog and enters the root. The work files go with the object.
struct MountedVolume {
  explicit MountedVolume(const std::string& image, bool readOnly = true, std::uint16_t blockSize = 512);
  ~MountedVolume();
  MountedVolume(const MountedVolume&) = delete;
  MountedVolume& operator=(const MountedVolume&) = delete;

  // The volume origin a mount leaves (negative: an MS-DOS medium); the
  // catalog is open when > 0.
  std::int64_t Mount();

  ImageBus bus;
  ScriptedUi ui;
  Context ctx;
  std::string attachError;
};

}  // namespace tarvo::testing
