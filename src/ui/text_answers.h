// Typed answers to questions and dialogs, shared by the console front end
// and the scripted test double. An empty answer means the default button.
//
//   message box:  ok | cancel | yes | no   (also y / n / c); Yes/No/Cancel
//                 boxes take yes, no or cancel. The default is OK or Yes,
//                 except for a question that destroys data (Stakes), whose
//                 default is Cancel (No for a Yes/No box): only a typed ok
//                 or yes lets it go ahead
//   DLG_SAME:     same | rescan | cancel   (default: same)
//   DLG_CAPA:     44 | 88 | 105 | 200 | 270 (optionally followed by "MB"),
//                 cancel; empty is OK with no choice
//   DLG_EXIST:    replace | skip | keep (also r / s / k, "keep both"),
//                 each optionally followed by "all" for the rest of the
//                 command (default: keep, which loses nothing)
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/user_interface.h"

namespace tarvo {

// nullopt when the text names no button of the box.
std::optional<Answer> ParseBoxAnswer(std::string_view text, Buttons buttons, Stakes stakes);
// The answer an empty line or the end of input gives.
Answer DefaultBoxAnswer(Buttons buttons, Stakes stakes);
// The answers a box takes and its default, as shown after its text:
// "[ok/cancel] (empty: cancel)"; "" for a box with OK alone.
std::string BoxChoices(Buttons buttons, Stakes stakes);
// "ok", "cancel", "yes" or "no".
std::string_view AnswerWord(Answer answer);
std::optional<SameDriveChoice> ParseSameDriveAnswer(std::string_view text);
std::optional<CapacityAnswer> ParseCapacityAnswer(std::string_view text);
std::optional<ExistingFileAnswer> ParseExistingFileAnswer(std::string_view text);
// DLG_EXIST's answers and its default, as shown after its text.
inline constexpr const char* kExistingFileChoices = "[replace/skip/keep, or with \"all\"] (empty: keep)";

// Lower-cased, without surrounding blanks.
std::string NormalizeAnswer(std::string_view text);

}  // namespace tarvo
