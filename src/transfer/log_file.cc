#include "transfer/log_file.h"

namespace tarvo {

void AppendLog(LogFile& log, std::string_view text) {
  if (log.file == nullptr) return;
  std::fwrite(text.data(), 1, text.size(), log.file);
  std::fflush(log.file);
}

}  // namespace tarvo
