#include "ui/startup_options.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

std::optional<StartupOptions> Parse(std::vector<std::string> args, std::string* errorOut = nullptr) {
  std::string error;
  auto options = ParseStartupOptions(args, error);
  if (errorOut) *errorOut = error;
  return options;
}

TEST(StartupOptions, LetterOptionsInEitherCaseWithSlashOrHyphen) {
  auto o = Parse({"/a12", "-L", "/R", "/X", "word"});
  ASSERT_TRUE(o);
  EXPECT_TRUE(o->adapterOption);
  EXPECT_EQ(o->hostAdapter, 1);
  EXPECT_EQ(o->target, 2);
  EXPECT_EQ(o->logName, "");  // the default name
  EXPECT_TRUE(o->reset);

  o = Parse({"/A3", "/L:mylog.txt"});
  EXPECT_EQ(o->hostAdapter, 3);
  EXPECT_FALSE(o->target);
  EXPECT_EQ(o->logName, "mylog.txt");
  EXPECT_EQ(Parse({"/Lmylog.txt"})->logName, "mylog.txt");
  EXPECT_EQ(Parse({"-l1name"})->logName, "name");
}

TEST(StartupOptions, ImagesCreationAndActionsInOrder) {
  auto o = Parse({"--image", "a.img,ro", "--create", "44", "b.img", "--scsi", "-c", "DIR /E", "--menu", "110",
                  "--select", "*", "--yes"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->images, std::vector<std::string>{"a.img,ro"});
  ASSERT_EQ(o->creates.size(), 1u);
  EXPECT_EQ(o->creates[0].megabytes, 44);
  EXPECT_EQ(o->creates[0].path, "b.img");
  EXPECT_TRUE(o->scsi);
  EXPECT_TRUE(o->yes);
  EXPECT_FALSE(o->check);
  EXPECT_TRUE(Parse({"--image", "a.img", "--check"})->check);
  EXPECT_FALSE(o->demo);
  EXPECT_TRUE(Parse({"--demo"})->demo);
  ASSERT_EQ(o->actions.size(), 3u);
  EXPECT_EQ(o->actions[0].kind, StartupAction::kCommand);
  EXPECT_EQ(o->actions[0].text, "DIR /E");
  EXPECT_EQ(o->actions[1].kind, StartupAction::kMenu);
  EXPECT_EQ(o->actions[2].kind, StartupAction::kSelect);
}

TEST(StartupOptions, BadOptionsAreRefusedWithAReason) {
  std::string error;
  EXPECT_FALSE(Parse({"--image"}, &error));
  EXPECT_NE(error.find("--image"), std::string::npos);
  EXPECT_FALSE(Parse({"--create", "44"}, &error));
  EXPECT_FALSE(Parse({"--create", "big", "x.img"}, &error));
  EXPECT_FALSE(Parse({"--menu", "abc"}, &error));
  EXPECT_FALSE(Parse({"--menu", "1x5"}, &error));  // only digits, inside too
  EXPECT_FALSE(Parse({"--frobnicate"}, &error));
  EXPECT_NE(error.find("--frobnicate"), std::string::npos);
}

}  // namespace
}  // namespace tarvo
