#include "ui/partition_dialog.h"

#include <algorithm>
#include <charconv>

#include "base/charset.h"
#include "base/engine.h"
#include "ui/text_answers.h"

namespace tarvo {

int ChoosePartition(Engine& ctx, const PartitionList& list) {
  PartitionDialog dialog(ctx, list);
  ctx.ui->RunPartitionDialog(dialog);
  return dialog.result();
}

PartitionDialog::PartitionDialog(Engine& ctx, const PartitionList& list) : ctx_(ctx) {
  const std::size_t shown = std::min<std::size_t>(list.count, kRows);
  for (std::size_t r = 0; r < shown; ++r) {
    const PartitionEntry& p = list.entries[r];
    rows_[r] = {true, ConvertString(p.name, MacToAnsi), std::to_string(p.start), std::to_string(p.sectorCount)};
  }
}

void PartitionDialog::ClickRow(int row) {
  if (row >= 0 && row < kRows && rows_[row].enabled) selected_ = row;
}

void PartitionDialog::Ok() {
  if (selected_ < 0) {
    MessageDialog(ctx_, kMsgSelectPartition);
    return;
  }
  Finish(selected_);
}

void PartitionDialog::Cancel() {
  ctx_.volume.volumeOrigin = 0;
  Finish(-1);
}

void PartitionDialog::Close() {
  ctx_.volume.targetId = kNoDevice;
  Finish(-1);
}

void PartitionDialog::ApplyAnswer(std::string_view text) {
  const std::string a = NormalizeAnswer(text);
  if (a.empty() || a == "ok") return Ok();
  if (a == "cancel") return Cancel();
  int row = -1;
  const auto [end, error] = std::from_chars(a.data(), a.data() + a.size(), row);
  if (error != std::errc() || end != a.data() + a.size()) return;
  if (row < 0 || row >= kRows || !rows_[row].enabled) return;
  ClickRow(row);
  Ok();
}

void PartitionDialog::Finish(int result) {
  result_ = result;
  closed_ = true;
}

}  // namespace tarvo
