#include "base/log_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/charset.h"
#include "support/scratch_files.h"
#include "ui/context.h"

namespace tarvo {
namespace {

class LogFileTest : public ::testing::Test {
 protected:
  void TearDown() override { CloseLog(ctx.log); }
  std::string Read(const std::string& path) {
    const std::vector<std::uint8_t> bytes = testing::ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
  }
  void Write(const std::string& path, const std::string& text) {
    testing::WriteWholeFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
  }

  static std::tm Time(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
  }

  Context ctx;
  testing::ScratchDir dir;
};

TEST_F(LogFileTest, StartOptionAppendsStampsToAnExistingLog) {
  const std::string path = dir.Path("copies.log");
  Write(path, "earlier\r\n");
  OpenLogFromStartOption(ctx, path);
  ASSERT_TRUE(IsLogOpen(ctx.log));
  EXPECT_EQ(ctx.messages[kMsgLogFileName], path);
  WriteLogStamp(ctx.log, false, Time(1998, 3, 7, 9, 5, 4));
  AppendLog(ctx.log, "*cd Photos\r\n*cd..\n");
  WriteLogStamp(ctx.log, true, Time(1998, 12, 31, 23, 59, 0));
  CloseLog(ctx.log);
  EXPECT_FALSE(IsLogOpen(ctx.log));
  EXPECT_EQ(Read(path), "earlier\r\n>1998/3/7 -  9:05:04\n*cd Photos\r\n*cd..\n<1998/12/31 - 23:59:00\n");
}

TEST_F(LogFileTest, StartOptionNameForms) {
  OpenLogFromStartOption(ctx, dir.Path("missing/dir/x.log"));
  EXPECT_FALSE(IsLogOpen(ctx.log));
  AppendLog(ctx.log, "ignored");
  OpenLogFromStartOption(ctx, dir.Path("a.log"));
  OpenLogFromStartOption(ctx, "");
  EXPECT_EQ(ctx.messages[kMsgLogFileName], dir.Path("a.log"));
  const std::string longName = dir.Path(std::string(40, 'n') + ".log");
  OpenLogFromStartOption(ctx, longName);
  EXPECT_TRUE(IsLogOpen(ctx.log));
  EXPECT_TRUE(std::filesystem::exists(longName));
}

TEST_F(LogFileTest, CreateTruncatesAndAppendKeeps) {
  const std::string path = dir.Path("t.log");
  Write(path, "old");
  ASSERT_TRUE(OpenLogForAppend(ctx.log, path));
  AppendLog(ctx.log, "+");
  ASSERT_TRUE(OpenLogForCreate(ctx.log, path));  // closes the first
  AppendLog(ctx.log, "new\r\n");
  AppendLog(ctx.log, ConvertString("\x8E \xB9", MacToAnsi) + "\tx\r\n");  // é, and π that Windows lacks
  CloseLog(ctx.log);
  EXPECT_EQ(Read(path), "new\r\n\xE9 _\tx\r\n");
  EXPECT_FALSE(OpenLogForCreate(ctx.log, ""));
}

}  // namespace
}  // namespace tarvo
