#include "ui/pc_directory_browser.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>

#include "base/utf8.h"
#include "transfer/pc_file_system.h"
#include "ui/context.h"
#include "ui/text_answers.h"

namespace tarvo {

namespace fs = std::filesystem;

namespace {

std::string TrimBlanks(std::string_view text);

}  // namespace

PcDirectoryBrowser::PcDirectoryBrowser(Context& ctx, PcDirectories& pc) : ctx_(ctx), pc_(pc) { Refill(); }

bool PcDirectoryBrowser::Root() { return Enter("/"); }

bool PcDirectoryBrowser::Parent() { return Enter(".."); }

bool PcDirectoryBrowser::OpenDirectory(std::size_t index) {
  if (index >= hostNames_.size()) return false;
  return Enter(hostNames_[index]);
}

bool PcDirectoryBrowser::OpenDrive(std::size_t index) {
  if (index >= hostDrives_.size() || !pc_.ChangeTo(hostDrives_[index])) return false;
  ctx_.settings.longNamesAvailable = pc_.LongNames();
  Refill();
  return true;
}

bool PcDirectoryBrowser::Enter(const std::string& name) {
  if (!pc_.ChangeTo(name)) return false;
  Refill();
  return true;
}

bool PcDirectoryBrowser::Navigate(std::string_view text) {
  const std::string a = NormalizeAnswer(text);
  if (a == "..") return Parent();
  if (a == "\\" || a == "/") return Root();
  if (a.rfind("drive ", 0) == 0) {
    std::size_t n = 0;
    const auto [end, error] = std::from_chars(a.data() + 6, a.data() + a.size(), n);
    return error == std::errc() && end == a.data() + a.size() && OpenDrive(n);
  }
  return OpenDirectory(FindDirectory(text));
}

std::size_t PcDirectoryBrowser::FindDirectory(std::string_view text) const {
  std::string name = TrimBlanks(text);
  if (name.size() >= 2 && name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
  const auto shown = std::find(directories_.begin(), directories_.end(), "[" + name + "]");
  return static_cast<std::size_t>(shown - directories_.begin());
}

void PcDirectoryBrowser::Refill() {
  path_ = Utf8ToAnsi(pc_.Current());
  hostNames_ = pc_.Subdirectories();
  if (pc_.Current() != "/") hostNames_.insert(hostNames_.begin(), "..");
  directories_.clear();
  for (const std::string& name : hostNames_) {
    std::string& row = directories_.emplace_back("[");  // appends: GCC 12 warns falsely on "[" + string
    row += Utf8ToAnsi(name);
    row += ']';
  }
  hostDrives_ = pc_.Drives();
  drives_.clear();
  for (const std::string& drive : hostDrives_) drives_.push_back(Utf8ToAnsi(drive));
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

std::vector<PcFileEntry> HostPcDirectories::Files() {
  std::vector<PcFileEntry> files;
  std::error_code error;
  for (fs::directory_iterator it(".", error), end; !error && it != end; it.increment(error)) {
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    std::error_code sizeError;
    const std::uintmax_t size = it->file_size(sizeError);
    files.push_back({it->path().filename().string(), sizeError ? 0 : static_cast<std::uint64_t>(size)});
  }
  std::sort(files.begin(), files.end(), [](const PcFileEntry& a, const PcFileEntry& b) { return a.name < b.name; });
  return files;
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

std::string TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

}  // namespace

}  // namespace tarvo
