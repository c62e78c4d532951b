#include "support/edit_volume.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "maintenance/check_volume.h"

namespace tarvo::testing {

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
  return HfsutilsExtract(dir_.Path(""), copy, macPath);
}

bool EditVolume::HfsutilsWrite(const std::vector<std::string>& commands) {
  volume_.reset();
  return RunHfsutils(dir_.Path(""), image_, commands);
}

}  // namespace tarvo::testing
