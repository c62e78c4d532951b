#include "ui/text_answers.h"

#include <array>
#include <cctype>
#include <string>

namespace tarvo {

std::string NormalizeAnswer(std::string_view text) {
  std::size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string_view::npos) return {};
  std::size_t end = text.find_last_not_of(" \t\r\n");
  std::string out(text.substr(begin, end - begin + 1));
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::optional<Answer> ParseBoxAnswer(std::string_view text, Buttons buttons, Stakes stakes) {
  std::string a = NormalizeAnswer(text);
  if (a.empty()) return DefaultBoxAnswer(buttons, stakes);
  switch (buttons) {
    case Buttons::kOk:
      if (a == "ok") return Answer::kOk;
      break;
    case Buttons::kOkCancel:
      if (a == "ok" || a == "y" || a == "yes") return Answer::kOk;
      if (a == "cancel" || a == "c" || a == "n" || a == "no") return Answer::kCancel;
      break;
    case Buttons::kYesNo:
      if (a == "yes" || a == "y" || a == "ok") return Answer::kYes;
      if (a == "no" || a == "n" || a == "cancel" || a == "c") return Answer::kNo;
      break;
    case Buttons::kYesNoCancel:
      if (a == "yes" || a == "y" || a == "ok") return Answer::kYes;
      if (a == "no" || a == "n") return Answer::kNo;
      if (a == "cancel" || a == "c") return Answer::kCancel;
      break;
  }
  return std::nullopt;
}

Answer DefaultBoxAnswer(Buttons buttons, Stakes stakes) {
  const bool destroys = stakes == Stakes::kDestroys;
  switch (buttons) {
    case Buttons::kOk:
      return Answer::kOk;
    case Buttons::kOkCancel:
      return destroys ? Answer::kCancel : Answer::kOk;
    case Buttons::kYesNo:
      return destroys ? Answer::kNo : Answer::kYes;
    case Buttons::kYesNoCancel:
      break;
  }
  return destroys ? Answer::kCancel : Answer::kYes;
}

std::string BoxChoices(Buttons buttons, Stakes stakes) {
  std::string words;
  switch (buttons) {
    case Buttons::kOk:
      return {};
    case Buttons::kOkCancel:
      words = "[ok/cancel]";
      break;
    case Buttons::kYesNo:
      words = "[yes/no]";
      break;
    case Buttons::kYesNoCancel:
      words = "[yes/no/cancel]";
      break;
  }
  return words + " (empty: " + std::string(AnswerWord(DefaultBoxAnswer(buttons, stakes))) + ")";
}

std::string_view AnswerWord(Answer answer) {
  switch (answer) {
    case Answer::kOk:
      return "ok";
    case Answer::kCancel:
      break;
    case Answer::kYes:
      return "yes";
    case Answer::kNo:
      return "no";
  }
  return "cancel";
}

std::optional<SameDriveChoice> ParseSameDriveAnswer(std::string_view text) {
  std::string a = NormalizeAnswer(text);
  if (a.empty() || a == "same" || a == "s") return SameDriveChoice::kUseSame;
  if (a == "rescan" || a == "r") return SameDriveChoice::kRescan;
  if (a == "cancel" || a == "c") return SameDriveChoice::kCancel;
  return std::nullopt;
}

std::optional<CapacityAnswer> ParseCapacityAnswer(std::string_view text) {
  // The radio buttons in dialog order.
  static constexpr std::array<std::string_view, 5> kSizes{"44", "88", "200", "105", "270"};
  std::string a = NormalizeAnswer(text);
  if (a.empty() || a == "ok") return CapacityAnswer{true, std::nullopt};
  if (a == "cancel" || a == "c") return CapacityAnswer{false, std::nullopt};
  if (a.size() > 2 && a.ends_with("mb")) a = NormalizeAnswer(a.substr(0, a.size() - 2));
  for (std::size_t i = 0; i < kSizes.size(); ++i)
    if (a == kSizes[i]) return CapacityAnswer{true, static_cast<int>(i)};
  return std::nullopt;
}

std::optional<ExistingFileAnswer> ParseExistingFileAnswer(std::string_view text) {
  std::string a = NormalizeAnswer(text);
  ExistingFileAnswer answer;
  if (a.size() > 3 && a.ends_with("all")) {
    answer.forAll = true;
    a = NormalizeAnswer(a.substr(0, a.size() - 3));
    if (a.ends_with('-') || a.ends_with(',')) a.pop_back();
  }
  if (a == "replace" || a == "r") answer.action = ExistingFileAction::kReplace;
  else if (a == "skip" || a == "s") answer.action = ExistingFileAction::kSkip;
  else if (a.empty() || a == "keep" || a == "k" || a == "keep both") answer.action = ExistingFileAction::kKeepBoth;
  else return std::nullopt;
  if (a.empty() && answer.forAll) return std::nullopt;  // "all" alone names no action
  return answer;
}

}  // namespace tarvo
