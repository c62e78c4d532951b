// The command line of tarvo-mount:
//
//   tarvo-mount [OPTIONS] [SOURCE] MOUNTPOINT
//
// SOURCE is an image file or a block device, attached as --image SOURCE
// would attach it. Without SOURCE the drive comes from the start-up
// options tarvo-cli takes (--image, --scsi with /A<h><t>, ...).
//   -o ro            mount read-only (the image is attached write-protected)
//   -o rsrc          a file's resource fork is also the file NAME:rsrc
//   -f               stay in the foreground (default: run as a daemon)
//   --partition N    the partition chooser's row, for a medium of several
//   -h, --help       usage; --version
// Other -o options are handed to FUSE as they are.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ui/startup_options.h"

namespace tarvo {

struct MountOptions {
  StartupOptions startup;
  std::string mountPoint;
  bool readOnly = false;
  bool resourcePaths = false;  // -o rsrc
  bool foreground = false;
  std::optional<int> partition;
  std::vector<std::string> fuseOptions;  // -o options for FUSE
  bool help = false;
  bool version = false;
};

// nullopt and a message in `error` for options that mean nothing.
std::optional<MountOptions> ParseMountOptions(const std::vector<std::string>& args, std::string& error);

std::string MountUsage();

}  // namespace tarvo
