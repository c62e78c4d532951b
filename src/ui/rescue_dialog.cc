#include "ui/rescue_dialog.h"

#include "hfs/volume_header.h"
#include "ui/context.h"
#include "ui/device_dialog.h"
#include "ui/folder_navigation.h"
#include "ui/scan_parameters_dialog.h"
#include "ui/text_answers.h"

namespace tarvo {

namespace {

constexpr std::uint16_t kCopyModes = kCopyData | kCopyResource | kCopyMacBinary;

}  // namespace

RescueDialog::RescueDialog(Context& ctx)
    : ctx_(ctx), parametersEnabled_(!VolumeOpen(ctx) || GetU16(ctx.volume.mdb, mdb::drSigWord) != kHfsSignature) {
  fields_.number.assign(1, '0');  // not = "0": GCC 12 warns wrongly about that assignment
}

std::uint16_t RescueDialog::copyMode() const {
  const std::uint16_t flags = ctx_.settings.modeFlags;
  return (flags & kCopyMacBinary) ? kCopyMacBinary : (flags & kCopyResource) ? kCopyResource : kCopyData;
}

void RescueDialog::ChooseCopyMode(std::uint16_t mode) {
  std::uint16_t& flags = ctx_.settings.modeFlags;
  flags = static_cast<std::uint16_t>((flags & ~kCopyModes) | (mode & kCopyModes));
}

void RescueDialog::Parameters() {
  if (parametersEnabled_) RunScanParameters(ctx_);
}

void RescueDialog::Start() {
  if (ctx_.volume.sectorsPerBlock == 0 && (!parametersEnabled_ || RunScanParameters(ctx_) != 1)) return;
  ScanMedium(ctx_, fields_);
  scanned_ = true;
}

void RescueDialog::ApplyAnswer(std::string_view text) {
  const std::string answer = NormalizeAnswer(text);
  if (answer.empty()) return scanned_ ? Cancel() : Start();
  if (answer == "start") return Start();
  if (answer == "data") return ChooseCopyMode(kCopyData);
  if (answer == "resource") return ChooseCopyMode(kCopyResource);
  if (answer == "binary") return ChooseCopyMode(kCopyMacBinary);
  if (answer == "parameters") return Parameters();
  if (answer == "cancel" || answer == "close") return Cancel();
}

void RunRescue(Context& ctx) {
  if (ctx.volume.targetId == kNoDevice && SelectDrive(ctx) != DriveChoice::kChosen) return;
  const std::uint16_t saved = ctx.settings.modeFlags;
  RescueDialog dialog(ctx);
  ctx.ui->RunRescueDialog(dialog);
  ctx.settings.modeFlags = saved;
}

}  // namespace tarvo
