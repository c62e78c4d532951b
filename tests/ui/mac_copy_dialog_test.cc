#include "ui/mac_copy_dialog.h"

#include <gtest/gtest.h>

#include "support/edit_volume.h"
#include "support/scratch_files.h"
#include "ui/listing.h"

namespace tarvo {
namespace {

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
