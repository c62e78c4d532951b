#include "ui/demo_cartridge.h"

#include <cstdlib>
#include <unistd.h>

#include "base/context.h"
#include "device/drive_selection.h"
#include "device/image_bus.h"
#include "hfs/flush_report.h"
#include "hfs/work_file.h"
#include "maintenance/check_volume.h"
#include "maintenance/format_volume.h"
#include "transfer/copy_to_mac.h"
#include "ui/text_ui.h"

namespace tarvo {

namespace {

namespace fs = std::filesystem;

constexpr int kDemoMegabytes = 44;
constexpr const char* kDemoVolumeName = "Tarvo Demo";

std::string BuildDemo(const fs::path& image, const fs::path& samples);

}  // namespace

fs::path DemoCartridgePath() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  fs::path base;
  if (cache != nullptr && cache[0] == '/') {
    base = cache;
  } else {
    const char* home = std::getenv("HOME");
    base = fs::path(home != nullptr && home[0] != 0 ? home : ".") / ".cache";
  }
  return base / "tarvo" / "demo-cartridge.img";
}

fs::path DemoSamplesDirectory() {
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  const fs::path fromProgram = error ? fs::path() : program.parent_path() / TARVO_DEMO_FROM_PROGRAM;
  for (const fs::path& candidate : {fromProgram, fs::path(TARVO_DEMO_SOURCE_DIR), fs::path(TARVO_DEMO_INSTALLED_DIR)}) {
    if (!candidate.empty() && fs::is_directory(candidate, error)) return candidate.lexically_normal();
  }
  return {};
}

std::string EnsureDemoCartridge(std::string& path) {
  const fs::path image = DemoCartridgePath();
  path = image.string();
  std::error_code error;
  if (fs::exists(image, error)) return "";
  const fs::path samples = DemoSamplesDirectory();
  if (samples.empty()) return "The demo cartridge's sample files are not installed.";
  fs::create_directories(image.parent_path(), error);
  if (error) return "Cannot create the folder " + image.parent_path().string() + ": " + error.message() + ".";

  const fs::path part = image.string() + ".part" + std::to_string(::getpid());
  fs::remove(part, error);
  std::string failure = BuildDemo(part, samples);
  if (failure.empty()) {
    fs::rename(part, image, error);
    if (error) failure = "Cannot store the demo cartridge as " + path + ": " + error.message() + ".";
  }
  if (!failure.empty()) {
    fs::remove(part, error);
    return "The demo cartridge could not be made: " + failure;
  }
  return "";
}

namespace {

// A silent user interface for the build: no answers are given, and the
// first message or question shown is kept as the reason for a failure (a
// sound build shows none).
class BuildUi : public TextUi {
 public:
  std::string firstMessage;

  int MessageDialog(const std::string& text, const std::string&) override {
    Keep(text);
    return 0;
  }
  void PaintStatusLine(const std::string&, const std::string&) override {}
  void PaintProgress(unsigned) override {}
  void ShowWaitFrame(int) override {}
  bool TakeEscapeKey() override { return false; }
  void Beep() override {}
  void Repaint() override {}
  void ShowListing(const std::vector<std::string>&) override {}
  void ShowHelp(const std::string&) override {}
  void ShowVolumeInfo(const VolumeInfo&) override {}

 protected:
  void Present(const Prompt& prompt, bool) override { Keep(prompt.text); }
  std::optional<std::string> ReadAnswer() override { return std::nullopt; }

 private:
  void Keep(const std::string& text) {
    if (firstMessage.empty()) firstMessage = text;
  }
};

std::string BuildDemo(const fs::path& image, const fs::path& samples) {
  if (std::string error = CreateBlankImage(image.string(), kDemoMegabytes); !error.empty()) return error;
  ImageBus bus;
  if (std::string error = bus.Attach({image.string(), false, 512}); !error.empty()) return error;
  BuildUi ui;
  Context ctx;
  ctx.scsi = &bus;
  ctx.ui = &ui;
  ctx.device.hostAdapterId = 0;
  ctx.volume.adapterKind = AdapterKind::kAspi;
  ctx.volume.targetId = 0;
  std::string failure;
  try {
    ctx.volume.deviceSectors = FormatCapacity(ctx, 0, 0);
    FormatVolume(ctx, kDemoVolumeName);
    if (ui.firstMessage.empty()) {
      ctx.settings.modeFlags = kCopyData;
      CopyPcItems(ctx, samples / "files", "*.*", std::nullopt);
      ctx.settings.modeFlags = kCopyMacBinary;
      CopyPcItems(ctx, samples / "macbinary", "*.*", std::nullopt);
      FlushVolumeAndReport(ctx);
    }
    if (ui.firstMessage.empty()) {
      const CheckReport report = CheckVolume(ctx);
      if (!report.clean()) ui.firstMessage = CheckReportLines(report).front();
    }
    failure = ui.firstMessage;
  } catch (const FatalExit& e) {
    failure = e.what();
  }
  CloseWorkFiles(ctx);
  return failure;
}

}  // namespace

}  // namespace tarvo
