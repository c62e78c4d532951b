// The log file: copies, volume changes and folder moves, one line each.
// Lines are written byte for byte: some end with "\n", others with "\r\n".
#pragma once

#include <cstdio>
#include <string_view>

namespace tarvo {

struct LogFile {
  std::FILE* file = nullptr;  // nullptr: no log open
};

inline bool IsLogOpen(const LogFile& log) { return log.file != nullptr; }

// Appends the text as it stands when a log is open.
void AppendLog(LogFile& log, std::string_view text);

}  // namespace tarvo
