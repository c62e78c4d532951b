#include "hfs/flush_report.h"

#include <array>
#include <utility>

#include "base/engine.h"

namespace tarvo {

bool FlushVolumeAndReport(Engine& ctx) { return ReportFlush(ctx, FlushVolume(ctx)); }

bool ReportFlush(Engine& ctx, const FlushStatus& status) {
  if (status.ok()) return true;
  if (status.takenBack) {
    MessageDialog(ctx, kTextChangeNotMade);
    return false;
  }
  MessageDialog(ctx, "The volume may need checking: not written: " + DescribeUnwritten(status) + ".");
  return false;
}

std::string DescribeUnwritten(const FlushStatus& status) {
  static constexpr std::array<std::pair<unsigned, const char*>, 4> kParts{{
      {kFlushVolumeHeader, "the volume header"},
      {kFlushBitmap, "the bitmap"},
      {kFlushExtentsTree, "the extents tree"},
      {kFlushCatalogTree, "the catalog tree"},
  }};
  std::string text;
  for (const auto& [bit, name] : kParts) {
    if ((status.notWritten & bit) == 0) continue;
    if (!text.empty()) text += ", ";
    text += name;
  }
  return text;
}

}  // namespace tarvo
