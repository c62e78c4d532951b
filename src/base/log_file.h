// The log file: copies, volume changes and folder moves, one line each.
// Lines are written byte for byte (binary mode): some end with "\n", others
// with "\r\n". The log is Windows-1252 text: a Mac character that 1252
// lacks (base/ansi_extension.h) is written as '_'.
//
// The log name is entry kMsgLogFileName of the engine's message table
// (default "tarvo.log"). The log dialog stores at most 11 characters there;
// a name given with the start-up option is kept whole, whatever its length.
// An existing file opened for appending keeps its content; a missing one is
// created.
#pragma once

#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

namespace tarvo {

struct Engine;

struct LogFile {
  std::FILE* file = nullptr;  // nullptr: no log open
};

inline bool IsLogOpen(const LogFile& log) { return log.file != nullptr; }

// Appends the text when a log is open.
void AppendLog(LogFile& log, std::string_view text);

// Open the named file as the log, closing any log open before. False when the
// file cannot be opened; no log is open then.
bool OpenLogForCreate(LogFile& log, const std::string& name);  // from empty
bool OpenLogForAppend(LogFile& log, const std::string& name);  // at its end

// The start-up option L, with the name as ParseStartupOptions took it from
// the option (separator already dropped): an empty name keeps the stored
// one, any other becomes the log name. The file is opened for appending; a
// failure leaves no log and shows nothing.
void OpenLogFromStartOption(Engine& ctx, std::string_view name);

// The run's start (">") or end ("<") line: the mark, then
// "%d/%d/%d - %2d:%02d:%02d\n" with year, month, day, hour, minute, second.
void WriteLogStamp(LogFile& log, bool end);  // the local time now
void WriteLogStamp(LogFile& log, bool end, const std::tm& localTime);

void CloseLog(LogFile& log);

}  // namespace tarvo
