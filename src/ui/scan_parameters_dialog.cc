#include "ui/scan_parameters_dialog.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <sstream>

#include "ui/context.h"
#include "ui/text_answers.h"

namespace tarvo {

namespace {

std::optional<std::uint32_t> UnsignedNumber(std::string_view text);

}  // namespace

ScanParametersDialog::ScanParametersDialog(Context& ctx)
    : ctx_(ctx),
      origin_(std::to_string(ctx.volume.volumeOrigin > 0 ? ctx.volume.volumeOrigin : 0)),
      clusterSize_(std::to_string(ctx.volume.sectorsPerBlock)) {}

void ScanParametersDialog::Ok() {
  const std::optional<std::uint32_t> origin = UnsignedNumber(origin_);
  const std::optional<std::uint32_t> perBlock = UnsignedNumber(clusterSize_);
  if (!origin || !perBlock || *perBlock == 0 || *perBlock > 128) {
    ctx_.ui->Beep();
    return;
  }
  VolumeState& v = ctx_.volume;
  v.volumeOrigin = *origin;
  v.sectorsPerBlock = *perBlock;
  v.allocBlockSize = *perBlock * 512;
  result_ = 1;
  closed_ = true;
}

void ScanParametersDialog::Cancel() {
  result_ = 0;
  closed_ = true;
}

void ScanParametersDialog::AutomaticSearch() { ctx_.ui->Beep(); }

void ScanParametersDialog::ApplyAnswer(std::string_view text) {
  const std::string answer = NormalizeAnswer(text);
  if (answer.empty() || answer == "ok") return Ok();
  if (answer == "cancel") return Cancel();
  if (answer == "search") return AutomaticSearch();
  std::istringstream words(answer);
  std::string origin, clusterSize, rest;
  if (words >> origin >> clusterSize && !(words >> rest)) {
    SetOrigin(origin);
    SetClusterSize(clusterSize);
    Ok();
  }
}

int RunScanParameters(Context& ctx) {
  ScanParametersDialog dialog(ctx);
  ctx.ui->RunScanParametersDialog(dialog);
  return dialog.result();
}

namespace {

std::optional<std::uint32_t> UnsignedNumber(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  text.remove_prefix(first);
  text.remove_suffix(text.size() - text.find_last_not_of(' ') - 1);
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

}  // namespace tarvo
