#include "support/browse_volume.h"

#include <cstdio>

#include "ui/dispatcher.h"
#include "ui/open_volume.h"

namespace tarvo::testing {

bool BrowseVolume::Build() {
  const std::string home = dir_.Path("");
  image_ = dir_.Path("browse.img");
  if (!MakeHfsVolume(home, image_, "Browse", 40 * 1024)) return false;
  const std::string text = dir_.Path("text");
  WriteWholeFile(text, std::vector<std::uint8_t>{'h', 'i', '\n'});
  std::string many = "hcopy -r";
  for (int i = 0; i < kManyFiles; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "f%02d", i);
    WriteWholeFile(dir_.Path(name), std::vector<std::uint8_t>(name, name + 3));
    many += " " + ShellQuote(dir_.Path(name));
  }
  const std::string copyText = "hcopy -r " + ShellQuote(text) + " ";
  return RunHfsutils(home, image_,
                     {"hmkdir :Sub", "hmkdir " + ShellQuote(":Sub:Inner Folder"), "hmkdir :Many",
                      "hmkdir " + ShellQuote(":Caf\x8e"), copyText + ShellQuote(":Sub:Inner Folder:a.txt"),
                      copyText + ":Sub:b.txt", copyText + ":Top.txt", many + " :Many:"});
}

std::unique_ptr<MountedVolume> BrowseVolume::Open() const {
  auto volume = std::make_unique<MountedVolume>(image_);
  if (!volume->attachError.empty() || OpenVolume(volume->ctx) != VolumeOpening::kOpened) return nullptr;
  ApplyMenuState(volume->ctx);
  return volume;
}

}  // namespace tarvo::testing
