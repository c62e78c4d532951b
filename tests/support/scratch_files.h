// Scratch files for tests: a directory that cleans up after itself and
// whole-file and ranged reads and writes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace tarvo::testing {

// A fresh directory under the system's temporary folder, removed with
// everything in it when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

 private:
  std::filesystem::path dir_;
};

// The process's current directory (the PC current directory) for the life
// of the object.
class InDirectory {
 public:
  explicit InDirectory(const std::filesystem::path& dir) : saved_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~InDirectory() { std::filesystem::current_path(saved_); }
  InDirectory(const InDirectory&) = delete;
  InDirectory& operator=(const InDirectory&) = delete;

 private:
  std::filesystem::path saved_;
};

std::vector<std::uint8_t> ReadWholeFile(const std::string& path);
std::vector<std::uint8_t> ReadFileRange(const std::string& path, std::uint64_t offset, std::size_t length);
void WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace tarvo::testing
