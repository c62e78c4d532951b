// Text files between the Mac and the PC. Mac text is Mac Roman with CR line
// ends; PC text is UTF-8 with LF line ends. Both conversions stream in
// chunks of kTextChunkBytes, so a file of any size takes little memory; a
// CR LF pair or a character (with its combining marks) that straddles two
// chunks converts as if whole.
#pragma once

#include <cstddef>
#include <cstdio>

namespace tarvo {

inline constexpr std::size_t kTextChunkBytes = 64 * 1024;

// Mac text from `in` (from its start) into `out` as UTF-8; CR and CR LF each
// become one LF. False when a read or write fails.
bool MacTextToPcText(std::FILE* in, std::FILE* out);

enum class PcText { kConverted, kNotText, kFailed };

// When `in` (read from its start) is UTF-8 text, well-formed and without
// NUL, writes it into `out` as Mac text: LF and CR LF each become one CR, a
// leading byte order mark goes, and characters Mac Roman lacks become '_'.
// kNotText writes nothing; kFailed: a read or write failed.
PcText PcTextToMacText(std::FILE* in, std::FILE* out);

}  // namespace tarvo
