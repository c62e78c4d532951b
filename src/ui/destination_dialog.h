// DLG_DEST, "Target Directory": the model of the dialog that chooses the PC
// directory receiving copies from the Macintosh volume. Navigation changes
// the PC current directory at once, and Cancel does not undo it.
//
// The dialog works on the PC file system through PcDirectories, whose host
// implementation is the process's current directory; tests run it in a
// scratch directory.
//
// Host choices: the "drives" are the file system's root "/" and the user's
// home directory ($HOME), the places a user starts from; " [:\]" goes to
// "/". Names are shown as the file system holds them (case kept: it is case
// sensitive), the path in full, and the parent entry [..] is listed except
// at "/". Choosing a drive records whether its file system takes long
// names. "Create new" asks for the name in DLG_NOUV ("DIR" proposed, at
// most 39 characters); a name made only of dots or holding '/' is made
// safe as copied names are; a directory that cannot be created is
// reported and nothing changes. Texts are in the Windows character set.
//
// Typed answers (console and scripted double): a directory name, or
// "[name]", enters it; ".." goes to the parent; "\" or "/" to the root;
// "drive N" to the N-th drive listed (from 0); "new" runs "Create new"
// (the next answer is the new directory's name); "ok" or an empty answer
// confirms; "cancel" cancels. A name that is not listed is ignored.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvo {

struct Context;

// The PC file system as the dialog sees it; names and paths in UTF-8.
class PcDirectories {
 public:
  virtual ~PcDirectories() = default;
  virtual std::string Current() = 0;
  // The subdirectories of the current directory, sorted by name.
  virtual std::vector<std::string> Subdirectories() = 0;
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
  bool ChangeTo(const std::string& path) override;
  bool Create(const std::string& name) override;
  std::vector<std::string> Drives() override;
  bool LongNames() override;
};

class DestinationDialog {
 public:
  // command: 106 (from the copy) or 124 (from the menu).
  DestinationDialog(Context& ctx, PcDirectories& pc, int command);

  void Root();    // " [:\]"
  void Parent();  // " [..]"
  // A double click in the directory list ("[..]" goes to the parent).
  void OpenDirectory(std::size_t index);
  void OpenDrive(std::size_t index);
  void CreateNew();
  void Confirm();
  void Cancel();
  void ApplyAnswer(std::string_view text);

  bool closed() const { return closed_; }
  int result() const { return result_; }  // 1 confirmed, 0 cancelled
  const std::string& confirmCaption() const { return confirmCaption_; }
  const std::string& path() const { return path_; }
  const std::vector<std::string>& directories() const { return directories_; }  // "[name]"
  const std::vector<std::string>& drives() const { return drives_; }

 private:
  void Refill();
  void Finish(int result);

  Context& ctx_;
  PcDirectories& pc_;
  std::string confirmCaption_;
  std::string path_;
  std::vector<std::string> directories_;  // shown, Windows character set
  std::vector<std::string> hostNames_;    // the same, as the file system holds them
  std::vector<std::string> drives_;
  std::vector<std::string> hostDrives_;
  bool closed_ = false;
  int result_ = 0;
};

// Runs DLG_DEST on the process's current directory; returns its result.
int ChooseTargetDirectory(Context& ctx, int command);

}  // namespace tarvo
