// tarvo-mount: the Macintosh volume of a cartridge, a block device or an
// image file as a folder of the Linux desktop, through FUSE.
//
// The volume is opened as tarvo-cli opens it (an interrupted update is
// taken back first). A mount for writing holds the medium for itself
// while it runs (medium_lock.h): a second mount, or a tarvo-cli beside it,
// is refused, and it is refused beside a program that uses the medium.
// The check every write passes runs before the mount: a damaged or
// write-protected volume is mounted read-only, with a message.
//
// Exit status: 0 after an unmount that wrote everything; 1 when the
// volume could not be opened or mounted, or the last update failed; 2 for
// options that mean nothing.
#include <cstdio>
#include <string>
#include <vector>

#include "device/write_claim.h"
#include "fuse_operations.h"
#include "mount_options.h"
#include "mount_ui.h"
#include "ui/context.h"
#include "ui/drive_bus.h"
#include "ui/open_volume.h"
#include "ui/startup.h"
#include "ui/write_guard.h"
#include "volume_session.h"

namespace {

using namespace tarvo;

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitBadOptions = 2;

// Whether the volume may be written; tells why not. False with `refused`
// when the medium is another program's.
bool MayWrite(Context& ctx, bool& refused) {
  if (DriveWriteProtection(ctx)()) {
    MessageDialog(ctx, ctx.messages[kMsgWriteProtected]);
    return false;
  }
  if (const std::string claim = ClaimSelectedMedium(ctx); !claim.empty()) {
    MessageDialog(ctx, claim);
    refused = true;
    return false;
  }
  return MediumAcceptsWrites(ctx, kChangesFiles, RefusalNotice::kMessageDialog);
}

int RunFuse(const MountOptions& options, bool readOnly, VolumeSession& session) {
  std::vector<std::string> args = {"tarvo-mount", options.mountPoint, "-s"};
  if (options.foreground) args.push_back("-f");
  // The kernel keeps names for FUSE's default second only, and no missing
  // ones: names are found as the Macintosh compares them, so a name kept
  // for one spelling would hide a change made under another.
  std::string fuseOptions = "fsname=tarvo,subtype=hfs";
  if (readOnly) fuseOptions += ",ro";
  for (const std::string& option : options.fuseOptions) fuseOptions += "," + option;
  args.insert(args.end(), {"-o", fuseOptions});
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  const int ran = fuse_main(static_cast<int>(argv.size()), argv.data(), &MountOperations(), &session);
  // A signal (Ctrl-C) that ended the mount unmounts it as fusermount3 -u does.
  if (const std::optional<int> unmounted = session.unmountResult()) return *unmounted == 0 ? kExitDone : kExitFailed;
  return ran == 0 ? kExitDone : kExitFailed;
}

int Run(const std::vector<std::string>& args) {
  std::string error;
  const std::optional<MountOptions> options = ParseMountOptions(args, error);
  if (!options) {
    std::fprintf(stderr, "tarvo-mount: %s\nTry 'tarvo-mount --help' for the options.\n", error.c_str());
    return kExitBadOptions;
  }
  if (options->help) {
    std::fputs(MountUsage().c_str(), stdout);
    return kExitDone;
  }
  if (options->version) {
    std::puts("tarvo-mount " TARVO_VERSION);
    return kExitDone;
  }
  DriveBus bus;
  if (error = bus.Assemble(options->startup); !error.empty()) {
    std::fprintf(stderr, "tarvo-mount: %s\n", error.c_str());
    return kExitFailed;
  }
  MountUi ui(stderr);
  if (options->partition) ui.answers.push_back(std::to_string(*options->partition));
  Context ctx;
  ctx.scsi = &bus.manager();
  ctx.ui = &ui;
  int exitCode = kExitFailed;
  try {
    InitSettings(ctx, options->startup);
    if (ctx.volume.targetId == kNoDevice || OpenVolume(ctx) != VolumeOpening::kOpened) {
      MessageDialog(ctx, ctx.messages[kMsgNotMacVolume]);
    } else {
      bool refused = false;
      const bool readOnly = options->readOnly || !MayWrite(ctx, refused);
      if (!refused) {
        if (readOnly && !options->readOnly) MessageDialog(ctx, kTextMountedReadOnly);
        if (readOnly) ShareClaimedMedia(ctx);
        VolumeSession session(ctx, readOnly, options->resourcePaths);
        exitCode = RunFuse(*options, readOnly, session);
      }
    }
  } catch (const FatalExit& e) {
    exitCode = e.exitCode;
  }
  return ShutdownWithExitCode(ctx, exitCode);
}

}  // namespace

int main(int argc, char** argv) { return Run(std::vector<std::string>(argv + 1, argv + argc)); }
