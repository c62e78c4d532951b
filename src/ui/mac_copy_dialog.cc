#include "ui/mac_copy_dialog.h"

#include <algorithm>

#include "base/type_creator.h"
#include "base/utf8.h"
#include "transfer/copy_to_mac.h"
#include "ui/context.h"
#include "ui/folder_navigation.h"
#include "ui/listing.h"
#include "ui/text_answers.h"

namespace tarvo {

namespace {

constexpr std::size_t kMaskLength = 79;

std::string UpperAscii(std::string text);
// The words of an answer; double quotes group blanks into one word.
std::vector<std::string> SplitWords(std::string_view text);
std::string_view AfterWord(std::string_view text);

}  // namespace

int CopyPcToMacCommand(Context& ctx) {
  if (!VolumeOpen(ctx)) {
    MessageDialog(ctx, kMsgSelectDriveInMenu);
    return 0;
  }
  LoadTypeCreatorFile(ctx);
  HostPcDirectories pc;
  MacCopyDialog dialog(ctx, pc);
  ctx.ui->RunMacCopyDialog(dialog);
  if (dialog.result() != 0) LoadListing(ctx);
  return dialog.result();
}

MacCopyDialog::MacCopyDialog(Context& ctx, PcDirectories& pc) : ctx_(ctx), browser_(ctx, pc) { RefillFiles(); }

void MacCopyDialog::EnterMask(std::string_view typed) {
  const std::string mask = UpperAscii(std::string(typed.substr(0, kMaskLength)));
  if (mask == mask_) return;
  mask_ = mask;
  browser_.Refill();
  RefillFiles();
}

void MacCopyDialog::SelectFile(std::size_t index, bool selected) {
  if (index < files_.size()) files_[index].selected = selected;
}

void MacCopyDialog::Root() {
  if (browser_.Root()) RefillFiles();
}

void MacCopyDialog::Parent() {
  if (browser_.Parent()) RefillFiles();
}

void MacCopyDialog::OpenDirectory(std::size_t index) {
  if (browser_.OpenDirectory(index)) RefillFiles();
}

void MacCopyDialog::OpenDrive(std::size_t index) {
  if (browser_.OpenDrive(index)) RefillFiles();
}

void MacCopyDialog::CopySelection() {
  PcToMacRequest request;
  request.source = PcToMacRequest::Source::kSelection;
  request.pcDirectory = browser_.pc().Current();
  std::vector<std::size_t> rows;
  for (std::size_t i = 0; i < files_.size(); ++i) {
    if (!files_[i].selected) continue;
    rows.push_back(i);
    request.names.push_back(hostFiles_[i]);
  }
  if (!rows.empty()) {
    request.copied = [this, &rows](std::size_t n) { files_[rows[n]].selected = false; };
    CopyPcToMac(ctx_, request);
  }
  Finish(1);
}

void MacCopyDialog::CopyAllFiles() {
  if (!files_.empty()) {
    PcToMacRequest request;
    request.source = PcToMacRequest::Source::kAllFiles;
    request.pcDirectory = browser_.pc().Current();
    request.pattern = AnsiToUtf8(mask_);
    CopyPcToMac(ctx_, request);
  }
  Finish(1);
}

void MacCopyDialog::CopyDirectory(std::optional<std::size_t> index) {
  const std::vector<std::string>& names = browser_.hostDirectories();
  if (index && *index < names.size() && !names[*index].starts_with('.')) {
    PcToMacRequest request;
    request.source = PcToMacRequest::Source::kDirectory;
    request.pcDirectory = browser_.pc().Current();
    request.names = {names[*index]};
    std::uint16_t& flags = ctx_.settings.modeFlags;
    flags |= kCopyDirectory;
    CopyPcToMac(ctx_, request);
    flags &= static_cast<std::uint16_t>(~kCopyDirectory);
  }
  Finish(1);
}

void MacCopyDialog::Cancel() { Finish(0); }

void MacCopyDialog::ApplyAnswer(std::string_view text) {
  const std::vector<std::string> words = SplitWords(text);
  if (words.empty()) return;
  const std::string a = NormalizeAnswer(text);
  const std::string verb = NormalizeAnswer(words.front());
  const std::string_view rest = AfterWord(text);
  if (a == "cancel" || a == "exit") return Cancel();
  if (a == "all") return CopyAllFiles();
  if (a == "up") return Parent();
  if (verb == "mask" && words.size() == 2) return EnterMask(words[1]);
  if (verb == "cd") {
    if (browser_.Navigate(rest)) RefillFiles();
    return;
  }
  if (verb == "drive") {
    if (browser_.Navigate(text)) RefillFiles();
    return;
  }
  if (verb == "dir") {
    const std::size_t index = browser_.FindDirectory(rest);
    if (index < directories().size()) CopyDirectory(index);
    return;
  }
  if (verb != "select") return;
  std::vector<bool> chosen(files_.size(), false);
  if (words.size() == 1) {
    for (std::size_t i = 0; i < files_.size(); ++i) chosen[i] = files_[i].selected;
  }
  for (std::size_t w = 1; w < words.size(); ++w) {
    const auto row = std::find_if(files_.begin(), files_.end(), [&](const FileRow& f) { return f.name == words[w]; });
    if (row == files_.end()) return;  // not listed: the answer is ignored
    chosen[static_cast<std::size_t>(row - files_.begin())] = true;
  }
  for (std::size_t i = 0; i < files_.size(); ++i) files_[i].selected = chosen[i];
  CopySelection();
}

std::uint64_t MacCopyDialog::total() const {
  const bool any = std::any_of(files_.begin(), files_.end(), [](const FileRow& f) { return f.selected; });
  std::uint64_t sum = 0;
  for (const FileRow& f : files_) {
    if (f.selected || !any) sum += f.size;
  }
  return sum;
}

void MacCopyDialog::RefillFiles() {
  files_.clear();
  hostFiles_.clear();
  const std::string mask = AnsiToUtf8(mask_);
  for (const PcFileEntry& file : browser_.pc().Files()) {
    if (!MatchesPcPattern(file.name, mask)) continue;
    files_.push_back({Utf8ToAnsi(file.name), file.size, false});
    hostFiles_.push_back(file.name);
  }
}

void MacCopyDialog::Finish(int result) {
  result_ = result;
  closed_ = true;
}

namespace {

std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

std::vector<std::string> SplitWords(std::string_view text) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ' || text[i] == '\t') {
      ++i;
    } else if (text[i] == '"') {
      const std::size_t end = text.find('"', i + 1);
      words.emplace_back(text.substr(i + 1, end == std::string_view::npos ? end : end - i - 1));
      i = end == std::string_view::npos ? text.size() : end + 1;
    } else {
      const std::size_t end = std::min(text.find_first_of(" \t", i), text.size());
      words.emplace_back(text.substr(i, end - i));
      i = end;
    }
  }
  return words;
}

// The text after the first word, without the blanks that follow it.
std::string_view AfterWord(std::string_view text) {
  const std::size_t start = text.find_first_not_of(" \t");
  if (start == std::string_view::npos) return {};
  const std::size_t end = text.find_first_of(" \t", start);
  if (end == std::string_view::npos) return {};
  const std::size_t next = text.find_first_not_of(" \t", end);
  return next == std::string_view::npos ? std::string_view() : text.substr(next);
}

}  // namespace

}  // namespace tarvo
