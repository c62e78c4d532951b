// tarvo-cli opening a volume whose last update a stopped program left
// half-written: the journal takes it back before anything is read, the
// user is told and the log says so, and the volume is as it was.
#include <gtest/gtest.h>

#include <filesystem>

#include "device/cdb_fields.h"
#include "device/fault_bus.h"
#include "support/cli_process.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"
#include "ui/edit_commands.h"
#include "ui/open_volume.h"

namespace tarvo {
namespace {

using testing::ReadWholeFile;

struct Stopped {};  // thrown where the program stops

TEST(TarvoCliJournalTest, AnUpdateStoppedPartWayIsTakenBackAtStartUp) {
  testing::ScratchDir dir;
  const std::string image = dir.Path("volume.img");
  ASSERT_TRUE(testing::MakeHfsVolume(dir.Path(""), image, "Journal", 1024));
  ASSERT_TRUE(testing::RunHfsutils(dir.Path(""), image, {"hmkdir :Kept"}));
  const std::vector<std::uint8_t> before = ReadWholeFile(image);
  {
    testing::MountedVolume volume(image, false);
    FaultBus faults(volume.bus);
    volume.ctx.scsi = &faults;
    ASSERT_EQ(OpenVolume(volume.ctx), 1);
    faults.performed = [](const Srb& srb) {
      if (IsWrite(srb)) throw Stopped{};  // after the first write of the update
    };
    EXPECT_THROW(MakeFolder(volume.ctx, "Half made"), Stopped);
  }
  ASSERT_NE(ReadWholeFile(image), before);

  testing::CliRun run;
  run.args = {"--image", image, "/Ltarvo.log", "--check"};
  run.workDir = dir.Path("");
  const testing::CliResult result = testing::RunTarvoCli(run);
  EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
  EXPECT_NE(result.err.find("Tarvo: An interrupted update of this volume was taken back."), std::string::npos)
      << result.err;
  EXPECT_EQ(ReadWholeFile(image), before);
  const std::vector<std::uint8_t> log = ReadWholeFile(dir.Path("tarvo.log"));
  EXPECT_NE(std::string(log.begin(), log.end()).find(" sectors taken back\n"), std::string::npos);

  // Taken back once: the next run finds nothing to do.
  const testing::CliResult again = testing::RunTarvoCli({"--image", image, "--check"});
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_EQ(again.err.find("interrupted"), std::string::npos) << again.err;
}

}  // namespace
}  // namespace tarvo
