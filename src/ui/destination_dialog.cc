#include "ui/destination_dialog.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>

#include "base/context.h"
#include "base/utf8.h"
#include "transfer/pc_file_name.h"
#include "transfer/pc_file_system.h"
#include "ui/menu_model.h"
#include "ui/name_dialog.h"
#include "ui/text_answers.h"

namespace tarvo {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kNewDirectoryLength = 39;
constexpr const char* kTextCannotCreateDirectory = "Unable to create the directory ";

std::string NewDirectoryProposal(const MessageTable& messages);

}  // namespace

int ChooseTargetDirectory(Context& ctx, int command) {
  HostPcDirectories pc;
  DestinationDialog dialog(ctx, pc, command);
  ctx.ui->RunDestinationDialog(dialog);
  return dialog.result();
}

DestinationDialog::DestinationDialog(Context& ctx, PcDirectories& pc, int command)
    : ctx_(ctx), pc_(pc), confirmCaption_(command == kMenuCopyToPc ? "Copy in current directory" : "OK") {
  Refill();
}

void DestinationDialog::Root() {
  if (pc_.ChangeTo("/")) Refill();
}

void DestinationDialog::Parent() {
  if (pc_.ChangeTo("..")) Refill();
}

void DestinationDialog::OpenDirectory(std::size_t index) {
  if (index >= hostNames_.size()) return;
  if (hostNames_[index] == "..") return Parent();
  if (pc_.ChangeTo(hostNames_[index])) Refill();
}

void DestinationDialog::OpenDrive(std::size_t index) {
  if (index >= hostDrives_.size() || !pc_.ChangeTo(hostDrives_[index])) return;
  ctx_.settings.longNamesAvailable = pc_.LongNames();
  Refill();
}

void DestinationDialog::CreateNew() {
  NameDialog ask("DLG_NOUV", "New Directory", "", NewDirectoryProposal(ctx_.messages), kNewDirectoryLength);
  ctx_.ui->RunNameDialog(ask);
  if (!ask.result()) return;
  const std::string name = AnsiToUtf8(SafePcName(*ask.result()));
  if (!pc_.Create(name) || !pc_.ChangeTo(name)) {
    MessageDialog(ctx_, kTextCannotCreateDirectory + *ask.result());
    return;
  }
  Refill();
}

void DestinationDialog::Confirm() { Finish(1); }

void DestinationDialog::Cancel() { Finish(0); }

void DestinationDialog::ApplyAnswer(std::string_view text) {
  const std::string a = NormalizeAnswer(text);
  if (a.empty() || a == "ok") return Confirm();
  if (a == "cancel") return Cancel();
  if (a == "..") return Parent();
  if (a == "\\" || a == "/") return Root();
  if (a == "new") return CreateNew();
  if (a.rfind("drive ", 0) == 0) {
    std::size_t n = 0;
    const auto [end, error] = std::from_chars(a.data() + 6, a.data() + a.size(), n);
    if (error == std::errc() && end == a.data() + a.size()) OpenDrive(n);
    return;
  }
  std::string name(text.substr(std::min(text.find_first_not_of(' '), text.size())));
  name.erase(name.find_last_not_of(' ') + 1);
  if (name.size() >= 2 && name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
  const auto shown = std::find(directories_.begin(), directories_.end(), "[" + name + "]");
  if (shown != directories_.end()) OpenDirectory(static_cast<std::size_t>(shown - directories_.begin()));
}

void DestinationDialog::Refill() {
  path_ = Utf8ToAnsi(pc_.Current());
  hostNames_ = pc_.Subdirectories();
  if (pc_.Current() != "/") hostNames_.insert(hostNames_.begin(), "..");
  directories_.clear();
  for (const std::string& name : hostNames_) directories_.push_back("[" + Utf8ToAnsi(name) + "]");
  hostDrives_ = pc_.Drives();
  drives_.clear();
  for (const std::string& drive : hostDrives_) drives_.push_back(Utf8ToAnsi(drive));
}

void DestinationDialog::Finish(int result) {
  result_ = result;
  closed_ = true;
}

std::string HostPcDirectories::Current() {
  std::error_code error;
  const fs::path dir = fs::current_path(error);
  return error ? std::string() : dir.string();
}

std::vector<std::string> HostPcDirectories::Subdirectories() {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(".", error), end; !error && it != end; it.increment(error)) {
    std::error_code typeError;
    if (it->is_directory(typeError)) names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool HostPcDirectories::ChangeTo(const std::string& path) { return chdir(path.c_str()) == 0; }

bool HostPcDirectories::Create(const std::string& name) {
  std::error_code error;
  fs::create_directory(name, error);
  return !error;
}

std::vector<std::string> HostPcDirectories::Drives() {
  std::vector<std::string> drives{"/"};
  if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/' && std::string(home) != "/") {
    drives.emplace_back(home);
  }
  return drives;
}

bool HostPcDirectories::LongNames() { return LongNamesSupported("."); }

namespace {

// "<DIR> " without its brackets and blank.
std::string NewDirectoryProposal(const MessageTable& messages) {
  std::string text;
  for (char c : messages[kMsgDirTag]) {
    if (c != '<' && c != '>' && c != ' ') text += c;
  }
  return text;
}

}  // namespace

}  // namespace tarvo
