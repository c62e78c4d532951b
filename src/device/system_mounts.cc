#include "device/system_mounts.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tarvo {

namespace {

// A field of the mount table: blanks, tabs, newlines and backslashes in
// names are written as three octal digits after a backslash.
std::string Unescaped(std::string_view field) {
  const auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
  std::string text;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) && isOctal(field[i + 2]) &&
        isOctal(field[i + 3])) {
      text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
      i += 3;
    } else {
      text += field[i];
    }
  }
  return text;
}

// The next blank-separated field from `pos` on, which moves past it.
std::string_view NextField(std::string_view line, std::size_t& pos) {
  while (pos < line.size() && line[pos] == ' ') ++pos;
  const std::size_t start = pos;
  while (pos < line.size() && line[pos] != ' ') ++pos;
  return line.substr(start, pos - start);
}

std::optional<dev_t> DeviceNumberIn(const std::filesystem::path& file) {
  std::ifstream in(file);
  unsigned major = 0, minor = 0;
  char colon = 0;
  if (!(in >> major >> colon >> minor) || colon != ':') return std::nullopt;
  return makedev(major, minor);
}

}  // namespace

std::optional<SystemMount> FindSystemMount(std::string_view mountsText, dev_t device,
                                           const BlockDevicesOf& devicesOf) {
  std::size_t lineStart = 0;
  while (lineStart < mountsText.size()) {
    std::size_t lineEnd = mountsText.find('\n', lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = mountsText.size();
    const std::string_view line = mountsText.substr(lineStart, lineEnd - lineStart);
    lineStart = lineEnd + 1;
    std::size_t pos = 0;
    const std::string source = Unescaped(NextField(line, pos));
    const std::string mountPoint = Unescaped(NextField(line, pos));
    if (source.empty() || mountPoint.empty()) continue;
    const std::vector<dev_t> devices = devicesOf(source);
    if (std::find(devices.begin(), devices.end(), device) != devices.end()) return SystemMount{source, mountPoint};
  }
  return std::nullopt;
}

std::vector<dev_t> SystemBlockDevices(const std::string& source) {
  // Only a path can name a device node; "proc" or "tmpfs" names none.
  struct stat info {};
  if (!source.starts_with('/') || ::stat(source.c_str(), &info) != 0 || !S_ISBLK(info.st_mode)) return {};
  std::vector<dev_t> devices{info.st_rdev};
  // A partition's folder lies in its disk's, which names the disk's number.
  std::error_code error;
  const std::filesystem::path node = std::filesystem::canonical(
      "/sys/dev/block/" + std::to_string(major(info.st_rdev)) + ":" + std::to_string(minor(info.st_rdev)), error);
  if (!error && std::filesystem::exists(node / "partition", error)) {
    if (const std::optional<dev_t> disk = DeviceNumberIn(node.parent_path() / "dev")) devices.push_back(*disk);
  }
  return devices;
}

std::optional<SystemMount> SystemMountOf(dev_t device) {
  std::ifstream in("/proc/self/mounts");
  std::ostringstream text;
  text << in.rdbuf();
  return FindSystemMount(text.str(), device, SystemBlockDevices);
}

}  // namespace tarvo
