// tarvo-cli on a volume whose files have thread records.
#include <gtest/gtest.h>

#include "support/cli_image.h"
#include "support/edit_volume.h"
#include "support/file_threads.h"

namespace tarvo {
namespace {

using Data = std::vector<std::uint8_t>;

Data Content(const std::string& text) { return Data(text.begin(), text.end()); }

TEST(TarvoCliFileThreadTest, DeleteRenameAndANewNameInTheDialogKeepTheVolumeSound) {
  testing::ScratchDir scratch;
  testing::EditVolume volume(2048, "Threads");
  const testing::ImageCli cli(scratch, volume.image());
  const std::string one = scratch.Path("one.bin");
  testing::WriteWholeFile(one, testing::MacBinaryFile("One", "TEXT", "ttxt", Content("One"), Data(900, 0x5A)));
  std::vector<std::string> commands{"hmkdir :Box", "hcopy -m " + testing::ShellQuote(one) + " :One"};
  for (const std::string path : {"Two", "Three", "Box:Inner"}) {
    const std::string pc = scratch.Path(std::to_string(commands.size()));
    testing::WriteWholeFile(pc, Content(path));
    commands.push_back("hcopy -r " + testing::ShellQuote(pc) + " " + testing::ShellQuote(":" + path));
  }
  ASSERT_TRUE(volume.HfsutilsWrite(commands));
  ASSERT_TRUE(testing::AddFileThreads(volume.image(), {"One", "Two", "Three", "Box:Inner"}));
  cli.ExpectClean();

  EXPECT_EQ(cli.Run({"-c", "delete Two"}).err, "");
  cli.ExpectClean();
  EXPECT_EQ(cli.Run({"-c", "rename One Uno", "-c", "cd Box", "-c", "rename Inner Kern"}).err, "");
  cli.ExpectClean();
  cli.Run({"--select", "Three", "-c", "attrib"}, "name Drei\nwrite\n");
  cli.ExpectClean();
  testing::WriteWholeFile(scratch.Path("pc/NEW.TXT"), Content("New"));
  EXPECT_EQ(cli.Run({"-c", "md Later", "-c", "mcopy NEW.TXT", "-c", "rename Uno One", "-c", "delete Drei"}).err,
            "Tarvo: 1 file copied, 3 bytes; 0 skipped, 0 failed.\n");
  cli.ExpectClean();

  EXPECT_EQ(volume.HfsutilsTree(), (std::set<std::string>{":One", ":Later:", ":New.txt", ":Box:", ":Box:Kern"}));
  const testing::ExtractedFile extracted = volume.HfsutilsFile(":One");
  EXPECT_EQ(extracted.data, Content("One"));
  EXPECT_EQ(extracted.rsrc, Data(900, 0x5A));
  EXPECT_EQ(volume.HfsutilsFile(":Box:Kern").data, Content("Box:Inner"));
  EXPECT_EQ(volume.HfsutilsFile(":New.txt").data, Content("New"));
}

}  // namespace
}  // namespace tarvo
