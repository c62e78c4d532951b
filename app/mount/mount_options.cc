#include "mount_options.h"

#include <charconv>
#include <sstream>

namespace tarvo {

namespace {

void TakeMountOption(MountOptions& options, const std::string& list) {
  std::stringstream items(list);
  for (std::string item; std::getline(items, item, ',');) {
    if (item == "ro") options.readOnly = true;
    else if (item == "rw") options.readOnly = false;
    else if (item == "rsrc") options.resourcePaths = true;
    else if (!item.empty()) options.fuseOptions.push_back(item);
  }
}

}  // namespace

std::optional<MountOptions> ParseMountOptions(const std::vector<std::string>& args, std::string& error) {
  MountOptions options;
  // The rest are tarvo-cli's start-up options, which also gather the
  // plain words: the source and the mount point.
  std::vector<std::string> startup;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasNext = i + 1 < args.size();
    if (arg == "-h" || arg == "--help") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg == "-f") {
      options.foreground = true;
    } else if (arg == "-o" || arg == "--partition") {
      if (!hasNext) {
        error = "option " + arg + " needs a value";
        return std::nullopt;
      }
      const std::string& value = args[++i];
      if (arg == "-o") {
        TakeMountOption(options, value);
        continue;
      }
      int row = -1;
      const auto [end, failed] = std::from_chars(value.data(), value.data() + value.size(), row);
      if (failed != std::errc() || end != value.data() + value.size() || row < 0) {
        error = "--partition needs a row number, not " + value;
        return std::nullopt;
      }
      options.partition = row;
    } else if (arg == "--create") {
      error = "--create makes no volume to mount; use tarvo-cli to make and format an image";
      return std::nullopt;
    } else {
      startup.push_back(arg);
    }
  }
  if (options.help || options.version) return options;
  std::optional<StartupOptions> parsed = ParseStartupOptions(startup, error);
  if (!parsed) return std::nullopt;
  std::vector<std::string>& plain = parsed->files;
  if (plain.empty() || plain.size() > 2) {
    error = plain.empty() ? "no mount point given" : "more than a source and a mount point given";
    return std::nullopt;
  }
  options.mountPoint = plain.back();
  // The source is the first drive, as --image would attach it.
  if (plain.size() == 2) parsed->images.insert(parsed->images.begin(), plain.front() + (options.readOnly ? ",ro" : ""));
  plain.clear();
  if (!parsed->actions.empty() || parsed->check) {
    error = "commands (-c, --menu, --select, --check) are tarvo-cli's; tarvo-mount runs none";
    return std::nullopt;
  }
  options.startup = *parsed;
  return options;
}

std::string MountUsage() {
  return "Usage: tarvo-mount [OPTIONS] [SOURCE] MOUNTPOINT\n"
         "Mounts the Macintosh HFS volume of SOURCE (an image file or a block device) or\n"
         "of the drive the start-up options choose, at MOUNTPOINT; fusermount3 -u\n"
         "MOUNTPOINT (or Ctrl-C with -f) unmounts it once the last update is written.\n"
         "  -o ro             mount read-only\n"
         "  -o rsrc           a file's resource fork is also the file NAME:rsrc beside it,\n"
         "                    for programs without extended attributes\n"
         "  -o OPTION         other options are handed to FUSE\n"
         "  -f                stay in the foreground and tell failures on standard error\n"
         "  --partition N     the row of the partition to mount, on a medium of several\n"
         "  --image PATH[,ro][,1024], --scsi, /A<h><t>, /L<name>, /R, --demo\n"
         "                    choose the drive as for tarvo-cli\n"
         "  -h, --help        print this help\n"
         "  --version         print the program's version\n"
         "Resource forks and Finder information are the extended attributes\n"
         "user.com.apple.ResourceFork and user.com.apple.FinderInfo.\n";
}

}  // namespace tarvo
