#include "ui/dropped_items.h"

#include "base/services.h"
#include "device/write_claim.h"
#include "transfer/copy_to_mac.h"
#include "ui/context.h"
#include "ui/dispatcher.h"
#include "ui/folder_navigation.h"
#include "ui/listing.h"
#include "ui/menu_model.h"
#include "ui/write_guard.h"

namespace tarvo {

PcCopyOutcome CopyDroppedItems(Context& ctx, const std::vector<std::filesystem::path>& paths) {
  if (!VolumeOpen(ctx)) {
    MessageDialog(ctx, kMsgSelectDriveInMenu);
    return PcCopyOutcome::kFailed;
  }
  const ClaimSpan span(ctx);
  PcCopyOutcome result = PcCopyOutcome::kDone;
  if (!MediumAcceptsWrites(ctx, GuardedCommandChanges(kMenuCopyToMac), RefusalNotice::kMessageBox)) {
    result = PcCopyOutcome::kFailed;
  } else {
    for (std::filesystem::path path : paths) {
      // A folder may come with a trailing separator.
      if (!path.has_filename()) path = path.parent_path();
      std::error_code error;
      PcToMacRequest request;
      request.source = std::filesystem::is_directory(path, error) ? PcToMacRequest::Source::kDirectory
                                                                  : PcToMacRequest::Source::kSelection;
      request.pcDirectory = path.parent_path();
      request.names = {path.filename().string()};
      if ((result = CopyPcToMac(ctx, request)) != PcCopyOutcome::kDone) break;
    }
    LoadListing(ctx);
  }
  ApplyMenuState(ctx);
  ctx.ui->Repaint();
  return result;
}

}  // namespace tarvo
