#include "support/edit_volume.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "maintenance/check_volume.h"

namespace tarvo::testing {

namespace {

std::uint32_t Big32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 | std::uint32_t{b[at + 2]} << 8 | b[at + 3];
}

}  // namespace

EditVolume::EditVolume(int kilobytes, const std::string& label) : image_(dir_.Path("volume.img")) {
  EXPECT_TRUE(MakeHfsVolume(dir_.Path(""), image_, label, kilobytes));
}

MountedVolume& EditVolume::Mounted() {
  if (!volume_) Remount();
  return *volume_;
}

void EditVolume::Remount(bool readOnly) {
  volume_.reset();
  volume_ = std::make_unique<MountedVolume>(image_, readOnly);
  EXPECT_EQ(volume_->attachError, "");
  EXPECT_GT(volume_->Mount(), 0);
}

std::vector<std::string> EditVolume::Problems() {
  const CheckReport report = CheckVolume(ctx());
  return report.clean() ? std::vector<std::string>{} : CheckReportLines(report);
}

std::set<std::string> EditVolume::HfsutilsTree() {
  const std::string copy = dir_.Path("copy.img");
  std::filesystem::copy_file(image_, copy, std::filesystem::copy_options::overwrite_existing);
  const std::string out = dir_.Path("listing.txt");
  EXPECT_TRUE(RunHfsutils(dir_.Path(""), copy, {"hls -1aFR > " + ShellQuote(out)}));
  std::set<std::string> names;
  std::string section = ":", line;
  for (std::uint8_t c : ReadWholeFile(out)) {
    if (c != '\n') {
      line += static_cast<char>(c);
      continue;
    }
    if (line.size() > 1 && line.front() == ':' && line.back() == ':') section = line;
    else if (!line.empty()) names.insert(section + line);
    line.clear();
  }
  return names;
}

ExtractedFile EditVolume::HfsutilsFile(const std::string& macPath) {
  const std::string copy = dir_.Path("copy.img");
  std::filesystem::copy_file(image_, copy, std::filesystem::copy_options::overwrite_existing);
  const std::string out = dir_.Path("out.bin");
  std::filesystem::remove(out);
  ExtractedFile file;
  if (!RunHfsutils(dir_.Path(""), copy, {"hcopy -m " + ShellQuote(macPath) + " " + ShellQuote(out)})) return file;
  const std::vector<std::uint8_t> bin = ReadWholeFile(out);
  if (bin.size() < 128) return file;
  file.found = true;
  file.type.assign(bin.begin() + 65, bin.begin() + 69);
  file.creator.assign(bin.begin() + 69, bin.begin() + 73);
  file.finderFlags = static_cast<std::uint16_t>(bin[73] << 8 | bin[101]);
  const std::uint32_t dataLength = Big32(bin, 83), rsrcLength = Big32(bin, 87);
  file.created = Big32(bin, 91);
  file.modified = Big32(bin, 95);
  const std::size_t rsrcAt = 128 + (dataLength + 127) / 128 * 128;
  if (bin.size() < rsrcAt + rsrcLength) return file;
  file.data.assign(bin.begin() + 128, bin.begin() + 128 + dataLength);
  file.rsrc.assign(bin.begin() + static_cast<std::ptrdiff_t>(rsrcAt),
                   bin.begin() + static_cast<std::ptrdiff_t>(rsrcAt + rsrcLength));
  return file;
}

bool EditVolume::HfsutilsWrite(const std::vector<std::string>& commands) {
  volume_.reset();
  return RunHfsutils(dir_.Path(""), image_, commands);
}

}  // namespace tarvo::testing
