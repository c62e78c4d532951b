#include "ui/demo_cartridge.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "device/blank_image.h"
#include "device/drive_selection.h"
#include "device/image_bus.h"
#include "device/medium_identity.h"
#include "device/update_journal.h"
#include "hfs/flush_report.h"
#include "hfs/work_file.h"
#include "maintenance/check_volume.h"
#include "maintenance/format_volume.h"
#include "transfer/copy_to_mac.h"
#include "ui/context.h"
#include "ui/unattended_ui.h"

namespace tarvo {

namespace {

namespace fs = std::filesystem;

constexpr int kDemoMegabytes = 44;
constexpr const char* kDemoVolumeName = "Tarvo Demo";
// The temporary image is the final name, this suffix and the building
// process's ID.
constexpr const char* kPartSuffix = ".part";

// The temporary image's path, where a signal handler can reach it.
char gPartPath[4096];

std::string BuildDemo(const fs::path& image, const fs::path& samples);
void RemoveStaleParts(const fs::path& image);
bool SyncToDisk(const fs::path& path);

// While a build runs, SIGINT, SIGTERM and SIGHUP remove its temporary image
// and end the program (one that is ignored stays ignored); the program's
// own handling of them comes back when the build ends.
class PartRemovedOnSignal {
 public:
  explicit PartRemovedOnSignal(const fs::path& part);
  ~PartRemovedOnSignal();
  PartRemovedOnSignal(const PartRemovedOnSignal&) = delete;
  PartRemovedOnSignal& operator=(const PartRemovedOnSignal&) = delete;

 private:
  static constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};
  std::array<struct sigaction, kSignals.size()> saved_{};
};

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

  RemoveStaleParts(image);
  const fs::path part = image.string() + kPartSuffix + std::to_string(::getpid());
  fs::remove(part, error);
  std::string failure;
  {
    const PartRemovedOnSignal guard(part);
    failure = BuildDemo(part, samples);
    // On the disk before it takes the final name: a crash then leaves the
    // temporary, never a final name on half an image.
    if (failure.empty() && !SyncToDisk(part)) failure = "Cannot write " + part.string() + ".";
    if (failure.empty()) {
      fs::rename(part, image, error);
      if (error) failure = "Cannot store the demo cartridge as " + path + ": " + error.message() + ".";
    }
  }
  if (failure.empty()) SyncToDisk(image.parent_path());
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
class BuildUi : public UnattendedUi {
 public:
  std::string firstMessage;

  int MessageDialog(const std::string& text, const std::string&) override {
    Keep(text);
    return 0;
  }

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
    // A journal under this new file's name can only be that of a removed
    // image whose identity (device and inode) it took over.
    RemoveJournal(JournalPath(MediumIdentity(ctx, 0, 0)));
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

// A temporary image whose process has gone (killed while it built) is
// removed; one of a process still running is its build in progress.
void RemoveStaleParts(const fs::path& image) {
  const std::string prefix = image.filename().string() + kPartSuffix;
  std::error_code error;
  for (fs::directory_iterator entry(image.parent_path(), error), end; !error && entry != end;
       entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string digits = name.substr(prefix.size());
    if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9) continue;
    const pid_t pid = static_cast<pid_t>(std::stol(digits));
    std::error_code ignored;
    if (::kill(pid, 0) != 0 && errno == ESRCH) fs::remove(entry->path(), ignored);
  }
}

bool SyncToDisk(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  return ::close(fd) == 0 && synced;
}

void RemovePartAndEnd(int signal) {
  ::unlink(gPartPath);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

PartRemovedOnSignal::PartRemovedOnSignal(const fs::path& part) {
  std::strncpy(gPartPath, part.c_str(), sizeof gPartPath - 1);
  struct sigaction action {};
  action.sa_handler = RemovePartAndEnd;
  sigemptyset(&action.sa_mask);
  for (std::size_t i = 0; i < kSignals.size(); ++i) {
    sigaction(kSignals[i], nullptr, &saved_[i]);
    if (saved_[i].sa_handler != SIG_IGN) sigaction(kSignals[i], &action, nullptr);
  }
}

PartRemovedOnSignal::~PartRemovedOnSignal() {
  for (std::size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &saved_[i], nullptr);
  gPartPath[0] = '\0';
}

}  // namespace

}  // namespace tarvo
