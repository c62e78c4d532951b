// The PC directory and drive navigation shared by the two PC-side choosers,
// DLG_DEST ("Target Directory") and DLG_MCOP ("Copy PC -> Mac"): the path
// field, the directory list, the drive list, " [:\]" and " [..]".
// Navigation changes the PC current directory at once.
//
// The browser works on the PC file system through PcDirectories, whose host
// implementation is the process's current directory; tests run it in a
// scratch directory. The "drives" are the places a user starts from: "/"
// and $HOME. Names keep their case (the file system is case sensitive).
// Texts are in the Windows character set.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo {

struct Context;

// A file of the current PC directory: its name and size in bytes.
struct PcFileEntry {
  std::string name;  // UTF-8
  std::uint64_t size = 0;
};

// The PC file system as the dialogs see it; names and paths in UTF-8.
class PcDirectories {
 public:
  virtual ~PcDirectories() = default;
  virtual std::string Current() = 0;
  // The subdirectories of the current directory, sorted by name.
  virtual std::vector<std::string> Subdirectories() = 0;
  // The regular files of the current directory, sorted by name. A size the
  // file system does not tell counts 0: the copy reports such a file.
  virtual std::vector<PcFileEntry> Files() = 0;
  virtual bool ChangeTo(const std::string& path) = 0;
  virtual bool Create(const std::string& name) = 0;
  virtual std::vector<std::string> Drives() = 0;
  virtual bool LongNames() = 0;
};

// The process's current directory.
class HostPcDirectories : public PcDirectories {
 public:
  std::string Current() override;
  std::vector<std::string> Subdirectories() override;
  std::vector<PcFileEntry> Files() override;
  bool ChangeTo(const std::string& path) override;
  bool Create(const std::string& name) override;
  std::vector<std::string> Drives() override;
  bool LongNames() override;
};

class PcDirectoryBrowser {
 public:
  // Fills the path and the lists.
  PcDirectoryBrowser(Context& ctx, PcDirectories& pc);

  // Each answers true when the current directory changed (lists refilled).
  bool Root();    // " [:\]"
  bool Parent();  // " [..]"
  // A double click in the directory list ("[..]" goes to the parent).
  bool OpenDirectory(std::size_t index);
  bool OpenDrive(std::size_t index);
  // Enters the directory `name` (UTF-8) and refills: "Create new".
  bool Enter(const std::string& name);
  // A typed navigation answer (console and scripted double), as both
  // dialogs take it: a listed directory name, or "[name]", enters it; ".."
  // goes to the parent; "\" or "/" to the root; "drive N" to the N-th
  // drive listed (from 0). Anything else is ignored. True when it moved.
  bool Navigate(std::string_view text);
  // The index of a listed directory named in a typed answer ("name" or
  // "[name]"), or the list's size when none.
  std::size_t FindDirectory(std::string_view text) const;
  void Refill();

  PcDirectories& pc() { return pc_; }
  const std::string& path() const { return path_; }
  const std::vector<std::string>& directories() const { return directories_; }  // "[name]"
  const std::vector<std::string>& hostDirectories() const { return hostNames_; }  // UTF-8
  const std::vector<std::string>& drives() const { return drives_; }

 private:
  Context& ctx_;
  PcDirectories& pc_;
  std::string path_;
  std::vector<std::string> directories_;  // shown, Windows character set
  std::vector<std::string> hostNames_;    // the same, as the file system holds them
  std::vector<std::string> drives_;
  std::vector<std::string> hostDrives_;
};

}  // namespace tarvo
