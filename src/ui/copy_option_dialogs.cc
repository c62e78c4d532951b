#include "ui/copy_option_dialogs.h"

#include <algorithm>
#include <iterator>

#include "transfer/pc_file_system.h"
#include "ui/context.h"
#include "ui/text_answers.h"

namespace tarvo {

int RunNamingOptions(Context& ctx) {
  NamingDialog dialog(ctx.settings);
  ctx.ui->RunNamingDialog(dialog);
  return dialog.result();
}

int RunOutputPorts(Context& ctx) {
  PortDialog dialog(ctx.settings);
  ctx.ui->RunPortDialog(dialog);
  return dialog.result();
}

void NamingDialog::ClickCopyMode(std::uint16_t mode) {
  settings_.modeFlags = WithCopyMode(settings_.modeFlags, mode);
}

void NamingDialog::Cancel() {
  settings_.namingMode = opened_;
  ClickCopyMode(openedCopyMode_);
  Finish(0);
}

void NamingDialog::ApplyAnswer(std::string_view text) {
  const std::string a = NormalizeAnswer(text);
  if (a.empty() || a == "ok") return Ok();
  if (a == "cancel") return Cancel();
  if (a == "long") Click(NamingMode::kLong);
  else if (a == "short") Click(NamingMode::kShort);
  else if (a == "fly" || a == "rename") Click(NamingMode::kOnTheFly);
  else {
    const auto* mode = std::find_if(std::begin(kCopyModeNames), std::end(kCopyModeNames),
                                    [&a](const CopyModeName& m) { return a == m.name; });
    if (mode == std::end(kCopyModeNames)) return;
    ClickCopyMode(mode->bit);
  }
  Ok();
}

void NamingDialog::Finish(int result) {
  result_ = result;
  closed_ = true;
}

void PortDialog::Click(int port) {
  if (port >= 0 && port < kPortCount) settings_.outputPort = static_cast<std::uint8_t>(port);
}

void PortDialog::ApplyAnswer(std::string_view text) {
  const std::string a = NormalizeAnswer(text);
  if (a.empty() || a == "ok") return Ok();
  if (a == "cancel") return Cancel();
  for (int port = 0; port < kPortCount; ++port) {
    if (port == 0 ? a == "file" : NormalizeAnswer(OutputPortName(port)) == a) {
      Click(port);
      return Ok();
    }
  }
}

void PortDialog::Finish(int result) {
  result_ = result;
  closed_ = true;
}

}  // namespace tarvo
