// DLG_MCOP on a writable hfsutils volume and a scratch PC directory: the
// mask, the totals, the three copy buttons, the Esc abort between files and
// the typed answers; DLG_DEST's navigation still works over the shared
// browser (copy_dialogs_test.cc).
#include "ui/mac_copy_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/edit_volume.h"
#include "ui/listing.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;

// The Esc key is pressed while the first file is copied: the poll before
// the second file sees it.
class EscDuringFirstFile : public ScriptedUi {
 public:
  bool TakeEscapeKey() override { return ++polls_ == 2; }

 private:
  int polls_ = 0;
};

class MacCopyDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = fs::current_path();
    root_ = fs::canonical(pc_dir_.Path(""));
    File("a.txt", 3);
    File("B.TXT", 5);
    File("c.dat", 7);
    File("tree/inner.txt", 11);
    fs::create_directories(root_ / ".hidden");
    fs::current_path(root_);
  }
  void TearDown() override { fs::current_path(saved_); }

  void File(const std::string& name, std::size_t size) {
    fs::create_directories((root_ / name).parent_path());
    testing::WriteWholeFile((root_ / name).string(), std::vector<std::uint8_t>(size, 'x'));
  }
  std::vector<std::string> Names(const MacCopyDialog& dialog) {
    std::vector<std::string> names;
    for (const auto& file : dialog.files()) names.push_back(file.name + (file.selected ? "*" : ""));
    return names;
  }
  Context& ctx() { return volume_.ctx(); }

  testing::ScratchDir pc_dir_;
  testing::EditVolume volume_;
  HostPcDirectories pc_;
  fs::path saved_, root_;
};

TEST_F(MacCopyDialogTest, MaskRefillsAndTotalsFollowTheSelection) {
  MacCopyDialog dialog(ctx(), pc_);
  EXPECT_EQ(dialog.mask(), "*.*");
  EXPECT_EQ(Names(dialog), (std::vector<std::string>{"B.TXT", "a.txt", "c.dat"}));
  EXPECT_EQ(dialog.directories(), (std::vector<std::string>{"[..]", "[.hidden]", "[tree]"}));
  EXPECT_EQ(dialog.total(), 15u);
  dialog.EnterMask("*.txt");
  EXPECT_EQ(dialog.mask(), "*.TXT");
  EXPECT_EQ(Names(dialog), (std::vector<std::string>{"B.TXT", "a.txt"}));
  EXPECT_EQ(dialog.total(), 8u);
  dialog.SelectFile(1, true);
  EXPECT_EQ(dialog.total(), 3u);
  dialog.SelectFile(0, true);
  EXPECT_EQ(dialog.total(), 8u);
  dialog.EnterMask("*.TXT");  // unchanged: the selection stays
  EXPECT_EQ(Names(dialog), (std::vector<std::string>{"B.TXT*", "a.txt*"}));
  dialog.ApplyAnswer("cd tree");
  EXPECT_EQ(fs::current_path(), root_ / "tree");
  EXPECT_EQ(Names(dialog), std::vector<std::string>{"inner.txt"});
  EXPECT_EQ(dialog.total(), 11u);
  dialog.ApplyAnswer("up");
  EXPECT_EQ(Names(dialog), (std::vector<std::string>{"B.TXT", "a.txt"}));
  dialog.ApplyAnswer("mask *.none");
  EXPECT_TRUE(dialog.files().empty());
  EXPECT_EQ(dialog.total(), 0u);
  EXPECT_FALSE(dialog.closed());
  dialog.ApplyAnswer("all");  // nothing listed: nothing copied, closed with 1
  EXPECT_EQ(dialog.result(), 1);
  EXPECT_TRUE(volume_.HfsutilsTree().empty());
}

TEST_F(MacCopyDialogTest, SelectionCopiesAndDeselectsUntilEsc) {
  EscDuringFirstFile ui;
  ui.answers = {"yes"};  // "Do you really want to abort?"
  ctx().ui = &ui;
  MacCopyDialog dialog(ctx(), pc_);
  for (std::size_t i = 0; i < 3; ++i) dialog.SelectFile(i, true);
  dialog.CopySelection();
  EXPECT_EQ(dialog.result(), 1);
  EXPECT_EQ(Names(dialog), (std::vector<std::string>{"B.TXT", "a.txt*", "c.dat*"}));
  EXPECT_EQ(ui.boxes, std::vector<std::string>{"You hit the Esc key. Do you really want to abort?"});
  EXPECT_EQ(volume_.HfsutilsTree(), std::set<std::string>{":B.txt"});
  EXPECT_TRUE(volume_.Problems().empty());
  ctx().ui = &volume_.ui();
}

TEST_F(MacCopyDialogTest, TypedSelectionDirectoryAndCancel) {
  MacCopyDialog select(ctx(), pc_);
  select.ApplyAnswer("select a.txt missing.txt");  // not listed: ignored
  EXPECT_FALSE(select.closed());
  select.ApplyAnswer("select a.txt c.dat");
  EXPECT_EQ(select.result(), 1);
  EXPECT_EQ(Names(select), (std::vector<std::string>{"B.TXT", "a.txt", "c.dat"}));

  MacCopyDialog hidden(ctx(), pc_);
  hidden.ApplyAnswer("dir .hidden");  // a name beginning with '.' is not copied
  EXPECT_EQ(hidden.result(), 1);
  MacCopyDialog dir(ctx(), pc_);
  dir.ApplyAnswer("dir [tree]");
  EXPECT_EQ(dir.result(), 1);
  EXPECT_EQ(ctx().settings.modeFlags & kCopyDirectory, 0);
  EXPECT_EQ(volume_.HfsutilsTree(), (std::set<std::string>{":a.txt", ":c.dat", ":tree:", ":tree:inner.txt"}));
  EXPECT_TRUE(volume_.Problems().empty());

  MacCopyDialog cancel(ctx(), pc_);
  cancel.ApplyAnswer("");
  cancel.ApplyAnswer("frob");
  EXPECT_FALSE(cancel.closed());
  cancel.ApplyAnswer("Cancel");
  EXPECT_TRUE(cancel.closed());
  EXPECT_EQ(cancel.result(), 0);
}

TEST_F(MacCopyDialogTest, TheCommandRelistsAfterACopy) {
  volume_.ui().answers = {"all"};
  EXPECT_EQ(CopyPcToMacCommand(ctx()), 1);
  EXPECT_EQ(volume_.ui().dialogs, std::vector<std::string>{"DLG_MCOP"});
  EXPECT_EQ(ctx().listing.count, 4);  // three files and the folder
  volume_.ui().answers = {"cancel"};
  EXPECT_EQ(CopyPcToMacCommand(ctx()), 0);
}

}  // namespace
}  // namespace tarvo
