#include <gtest/gtest.h>

#include <filesystem>

#include "support/edit_volume.h"
#include "support/scratch_files.h"
#include "ui/context.h"
#include "ui/copy_option_dialogs.h"
#include "ui/destination_dialog.h"
#include "ui/dispatcher.h"
#include "ui/listing.h"
#include "ui/mac_copy_dialog.h"
#include "ui/name_dialog.h"
#include "support/scripted_ui.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;

class CopyDialogsTest : public ::testing::Test {
 protected:
  CopyDialogsTest() {
    ctx_.ui = &ui_;
    fs::create_directories(root_ / "a" / "b");
    fs::create_directories(root_ / "c");
  }

  ScriptedUi ui_;
  Context ctx_;
  testing::ScratchDir scratch_;
  fs::path root_ = fs::canonical(scratch_.Path(""));
  testing::InDirectory in_{root_};
  HostPcDirectories pc_;
};

TEST_F(CopyDialogsTest, TargetDirectoryNavigatesAndCreates) {
  DestinationDialog dialog(ctx_, pc_, 106);
  EXPECT_EQ(dialog.confirmCaption(), "Copy in current directory");
  EXPECT_EQ(dialog.directories(), (std::vector<std::string>{"[..]", "[a]", "[c]"}));
  dialog.ApplyAnswer("a");
  dialog.ApplyAnswer("[b]");
  EXPECT_EQ(fs::current_path(), root_ / "a" / "b");
  dialog.ApplyAnswer("..");
  dialog.ApplyAnswer("missing");
  EXPECT_EQ(dialog.path(), (root_ / "a").string());
  ui_.answers = {"cancel"};
  dialog.ApplyAnswer("new");  // "Create new", then Cancel: nothing made
  EXPECT_EQ(dialog.directories(), (std::vector<std::string>{"[..]", "[b]"}));
  ui_.answers = {".."};
  dialog.ApplyAnswer("new");
  EXPECT_EQ(fs::current_path(), root_ / "a" / "__");
  EXPECT_FALSE(dialog.closed());
  dialog.ApplyAnswer("");
  EXPECT_TRUE(dialog.closed());
  EXPECT_EQ(dialog.result(), 1);
  EXPECT_EQ(ui_.dialogs, (std::vector<std::string>{"DLG_NOUV", "DLG_NOUV"}));
}

TEST(NameDialog, AnswersNameConfirmOrCancel) {
  NameDialog keep("DLG_NOMD", "File name on the DOS volume", "Old", "Old", 30);
  keep.ApplyAnswer("");
  EXPECT_EQ(keep.result(), "Old");
  NameDialog typed("DLG_NOMD", "t", "Old", "Old", 30);
  typed.ApplyAnswer(" \"cancel\" ");
  EXPECT_EQ(typed.result(), "cancel");
  NameDialog cut("DLG_NOMD", "t", "Old", "Old", 30);
  cut.ApplyAnswer(std::string(35, 'x'));
  EXPECT_EQ(cut.result(), std::string(30, 'x'));
  NameDialog cancelled("DLG_NOUV", "New Directory", "", "DIR", 39);
  cancelled.ApplyAnswer("Cancel");
  EXPECT_TRUE(cancelled.closed());
  EXPECT_FALSE(cancelled.result());
}

TEST(NamingDialog, TakesATypedCopyModeAndCancelPutsBothModesBack) {
  ProgramSettings settings;
  settings.modeFlags = kCopyBinHex | kFilesOnly;
  NamingDialog typed(settings);
  typed.ApplyAnswer("AppleDouble");
  EXPECT_TRUE(typed.closed());
  EXPECT_EQ(typed.result(), 1);
  EXPECT_EQ(settings.modeFlags, kCopyAppleDouble | kFilesOnly);
  NamingDialog cancelled(settings);
  cancelled.ClickCopyMode(kCopyText);
  cancelled.Click(NamingMode::kShort);
  EXPECT_EQ(cancelled.copyMode(), kCopyText);
  cancelled.ApplyAnswer("cancel");
  EXPECT_EQ(settings.modeFlags, kCopyAppleDouble | kFilesOnly);
  EXPECT_EQ(settings.namingMode, NamingMode::kLong);
}

class EscDuringFirstFile : public ScriptedUi {
 public:
  bool TakeEscapeKey() override { return ++polls_ == 2; }

 private:
  int polls_ = 0;
};

TEST(MacCopyDialogTest, SelectionCopiesAndDeselectsUntilEsc) {
  testing::EditVolume volume;
  testing::ScratchDir pc;
  for (const auto& [name, size] : {std::pair<const char*, std::size_t>{"a.txt", 3}, {"B.TXT", 5}, {"c.dat", 7}})
    testing::WriteWholeFile(pc.Path(name), std::vector<std::uint8_t>(size, 'x'));
  const testing::InDirectory in(pc.Path(""));
  HostPcDirectories directories;
  EscDuringFirstFile ui;
  ui.answers = {"yes"};
  volume.ctx().ui = &ui;
  MacCopyDialog dialog(volume.ctx(), directories);
  for (std::size_t i = 0; i < 3; ++i) dialog.SelectFile(i, true);
  dialog.CopySelection();
  EXPECT_EQ(dialog.result(), 1);
  std::vector<std::string> names;
  for (const auto& file : dialog.files()) names.push_back(file.name + (file.selected ? "*" : ""));
  EXPECT_EQ(names, (std::vector<std::string>{"B.TXT", "a.txt*", "c.dat*"}));
  EXPECT_EQ(ui.boxes, std::vector<std::string>{"You hit the Esc key. Do you really want to abort?"});
  EXPECT_EQ(volume.HfsutilsTree(), std::set<std::string>{":B.txt"});
  EXPECT_TRUE(volume.Problems().empty());
  volume.ctx().ui = &volume.ui();
}

}  // namespace
}  // namespace tarvo
