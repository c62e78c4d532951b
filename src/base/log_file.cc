#include "base/log_file.h"

#include <algorithm>
#include <string>

#include "base/ansi_extension.h"
#include "base/engine.h"

namespace tarvo {

namespace {

bool OpenLog(LogFile& log, const std::string& name, const char* mode);

}  // namespace

void AppendLog(LogFile& log, std::string_view text) {
  if (log.file == nullptr) return;
  // The log is Windows text: the window text's codes for the characters
  // Windows lacks would be control bytes there.
  std::string line(text);
  for (const AnsiExtension& e : kAnsiExtension) std::replace(line.begin(), line.end(), static_cast<char>(e.ansi), '_');
  std::fwrite(line.data(), 1, line.size(), log.file);
  std::fflush(log.file);
}

bool OpenLogForCreate(LogFile& log, const std::string& name) { return OpenLog(log, name, "wb"); }

bool OpenLogForAppend(LogFile& log, const std::string& name) { return OpenLog(log, name, "ab"); }

void OpenLogFromStartOption(Engine& ctx, std::string_view name) {
  std::string& logName = ctx.messages.texts[kMsgLogFileName];
  if (!name.empty()) logName = std::string(name);
  OpenLogForAppend(ctx.log, logName);
}

void WriteLogStamp(LogFile& log, bool end) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  WriteLogStamp(log, end, local);
}

void WriteLogStamp(LogFile& log, bool end, const std::tm& t) {
  char line[96];
  const int length = std::snprintf(line, sizeof line, "%c%d/%d/%d - %2d:%02d:%02d\n", end ? '<' : '>',
                                   t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
  if (length > 0) AppendLog(log, std::string_view(line, static_cast<std::size_t>(length)));
}

void CloseLog(LogFile& log) {
  if (log.file == nullptr) return;
  std::fclose(log.file);
  log.file = nullptr;
}

namespace {

bool OpenLog(LogFile& log, const std::string& name, const char* mode) {
  CloseLog(log);
  if (name.empty()) return false;
  log.file = std::fopen(name.c_str(), mode);
  return log.file != nullptr;
}

}  // namespace

}  // namespace tarvo
