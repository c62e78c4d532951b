#include "transfer/log_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "base/context.h"

namespace tarvo {
namespace {

namespace fs = std::filesystem;

class LogFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("tarvo_log_" + std::to_string(::getpid()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
  }
  void TearDown() override {
    CloseLog(ctx.log);
    fs::remove_all(dir);
  }
  std::string PathOf(const std::string& name) const { return (dir / name).string(); }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  Context ctx;
  fs::path dir;
};

std::tm Time(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

TEST_F(LogFileTest, StartOptionAppendsStampsToAnExistingLog) {
  const std::string path = PathOf("copies.log");
  std::ofstream(path, std::ios::binary) << "earlier\r\n";

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
  OpenLogFromStartOption(ctx, PathOf("a.log"));
  EXPECT_EQ(ctx.messages[kMsgLogFileName], PathOf("a.log"));
  // An empty name keeps the stored one; a name far longer than the dialog
  // allows is kept whole.
  OpenLogFromStartOption(ctx, "");
  EXPECT_EQ(ctx.messages[kMsgLogFileName], PathOf("a.log"));
  const std::string longName = PathOf(std::string(40, 'n') + ".log");
  OpenLogFromStartOption(ctx, longName);
  EXPECT_TRUE(IsLogOpen(ctx.log));
  EXPECT_TRUE(fs::exists(longName));
}

TEST_F(LogFileTest, StartOptionFailsSilently) {
  OpenLogFromStartOption(ctx, PathOf("missing/dir/x.log"));
  EXPECT_FALSE(IsLogOpen(ctx.log));
  AppendLog(ctx.log, "ignored");  // no log: nothing happens
}

TEST_F(LogFileTest, CreateTruncatesAndAppendKeeps) {
  const std::string path = PathOf("t.log");
  std::ofstream(path, std::ios::binary) << "old";
  ASSERT_TRUE(OpenLogForAppend(ctx.log, path));
  AppendLog(ctx.log, "+");
  ASSERT_TRUE(OpenLogForCreate(ctx.log, path));  // closes the first
  AppendLog(ctx.log, "new\r\n");
  CloseLog(ctx.log);
  EXPECT_EQ(Read(path), "new\r\n");
  EXPECT_FALSE(OpenLogForCreate(ctx.log, ""));
}

}  // namespace
}  // namespace tarvo
