// Typed answers to message boxes, and what a box without an answer gets.
#include "ui/text_answers.h"

#include <gtest/gtest.h>

#include "ui/scripted_ui.h"

namespace tarvo {
namespace {

TEST(TextAnswersTest, YesNoCancelBoxesTakeAllThreeAnswers) {
  for (const Stakes stakes : {Stakes::kHarmless, Stakes::kDestroys}) {
    EXPECT_EQ(ParseBoxAnswer("ok", Buttons::kYesNoCancel, stakes), Answer::kYes);
    EXPECT_EQ(ParseBoxAnswer("n", Buttons::kYesNoCancel, stakes), Answer::kNo);
    EXPECT_EQ(ParseBoxAnswer("Cancel", Buttons::kYesNoCancel, stakes), Answer::kCancel);
    EXPECT_EQ(ParseBoxAnswer("maybe", Buttons::kYesNoCancel, stakes), std::nullopt);
  }
  EXPECT_EQ(ParseBoxAnswer("", Buttons::kYesNoCancel, Stakes::kHarmless), Answer::kYes);
}

// A question that destroys data goes ahead only on a typed OK or Yes: an
// empty answer, answers that name no button, and the end of input all
// keep the data.
TEST(TextAnswersTest, QuestionsThatDestroyNeedATypedAnswer) {
  const std::pair<Buttons, Answer> boxes[] = {{Buttons::kOkCancel, Answer::kCancel},
                                              {Buttons::kYesNo, Answer::kNo},
                                              {Buttons::kYesNoCancel, Answer::kCancel}};
  for (const auto& [buttons, keep] : boxes) {
    ScriptedUi ui;
    EXPECT_EQ(ui.ShowMessageBox("Erase?", "Tarvo", buttons, Stakes::kDestroys), keep);
    ui.answers = {""};
    EXPECT_EQ(ui.ShowMessageBox("Erase?", "Tarvo", buttons, Stakes::kDestroys), keep);
    ui.answers = {"maybe", "perhaps", "later"};
    EXPECT_EQ(ui.ShowMessageBox("Erase?", "Tarvo", buttons, Stakes::kDestroys), keep);
    ui.answers = {"y"};
    EXPECT_NE(ui.ShowMessageBox("Erase?", "Tarvo", buttons, Stakes::kDestroys), keep);
    EXPECT_NE(ui.ShowMessageBox("Erase?", "Tarvo", buttons, Stakes::kHarmless), keep);
    EXPECT_EQ(ui.boxes, std::vector<std::string>(5, "Erase?"));
  }
  EXPECT_EQ(BoxChoices(Buttons::kOkCancel, Stakes::kDestroys), "[ok/cancel] (empty: cancel)");
  EXPECT_EQ(BoxChoices(Buttons::kYesNoCancel, Stakes::kHarmless), "[yes/no/cancel] (empty: yes)");
}

}  // namespace
}  // namespace tarvo
