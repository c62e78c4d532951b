// Typed answers to Yes/No/Cancel boxes.
#include "ui/text_answers.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(TextAnswersTest, YesNoCancelBoxesTakeAllThreeAnswers) {
  EXPECT_EQ(ParseBoxAnswer("", Buttons::kYesNoCancel), Answer::kYes);
  EXPECT_EQ(ParseBoxAnswer("ok", Buttons::kYesNoCancel), Answer::kYes);
  EXPECT_EQ(ParseBoxAnswer("n", Buttons::kYesNoCancel), Answer::kNo);
  EXPECT_EQ(ParseBoxAnswer("Cancel", Buttons::kYesNoCancel), Answer::kCancel);
  EXPECT_EQ(ParseBoxAnswer("maybe", Buttons::kYesNoCancel), std::nullopt);
}

}  // namespace
}  // namespace tarvo
