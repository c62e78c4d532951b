#include "transfer/pc_copy_report.h"

#include "base/charset.h"
#include "base/engine.h"
#include "base/utf8.h"
#include "hfs/flush_report.h"

namespace tarvo {

void TellPcReading(Engine& ctx, const PcFileReading& reading, const std::string& pcName) {
  if (const std::optional<PassedPartner>& partner = reading.passedPartner) {
    MessageDialog(ctx, ctx.messages[kMsgTheFile] + pcName + ": its AppleDouble file " + Utf8ToAnsi(partner->name) +
                           " is not used, as " + std::string(partner->problem) + "; the data fork alone is copied.");
  }
  switch (reading.status) {
    case PcReadStatus::kRead:
    case PcReadStatus::kGaveWay:
      return;
    case PcReadStatus::kNotMacBinary:
      MessageDialog(ctx, ctx.messages[kMsgNotMacBinary] + " " + pcName);
      return;
    case PcReadStatus::kRefused:
      MessageDialog(ctx, ctx.messages[kMsgTheFile] + pcName + " was not copied: " + std::string(reading.problem) + ".");
      return;
    case PcReadStatus::kUnreadable:
      MessageDialog(ctx, kTextErrorReadingFile + pcName);
      return;
  }
}

void TellFileWrite(Engine& ctx, FileWrite written, const std::string& pcName, const std::string& macName) {
  const std::string shownName = ConvertString(macName, MacToAnsi);
  switch (written) {
    case FileWrite::kDone:
    case FileWrite::kCatalogRefused:
      return;
    case FileWrite::kNoCatalogId:
      MessageDialog(ctx, kTextNoCatalogId);
      return;
    case FileWrite::kNameTaken:
      MessageDialog(ctx, ctx.messages[kMsgTheFile] + shownName + " already exists.");
      return;
    case FileWrite::kBitmapUnreadable:
      MessageDialog(ctx, ctx.messages[kMsgErrorReadingData]);
      return;
    case FileWrite::kNoSpace:
      MessageDialog(ctx, ctx.messages[kMsgVolumeFull]);
      return;
    case FileWrite::kScattered:
      MessageDialog(ctx, "The free space of the volume is too scattered for the file " + shownName + ".");
      return;
    case FileWrite::kPcFileError:
      MessageDialog(ctx, kTextErrorReadingFile + pcName);
      return;
    case FileWrite::kMediumError:
      MessageDialog(ctx, "Error writing to the volume: the file " + shownName + " was not copied.");
      return;
  }
}

void TellReplace(Engine& ctx, const ReplaceResult& result, const std::string& pcName, const std::string& macName) {
  switch (result.outcome) {
    case ReplaceOutcome::kReplaced:
    case ReplaceOutcome::kCancelled:
    case ReplaceOutcome::kOldItemKept:
      break;
    case ReplaceOutcome::kNotWritten:
      TellFileWrite(ctx, result.written, pcName, macName);
      break;
    case ReplaceOutcome::kNotFlushed:
      ReportFlush(ctx, result.flush);
      break;
    case ReplaceOutcome::kChangeNotMade:
      MessageDialog(ctx, kTextChangeNotMade);
      break;
  }
  if (result.oldFileLost) {
    MessageDialog(ctx, "The volume may need checking: the file " + ConvertString(result.oldName, MacToAnsi) +
                           " could not be put back.");
  }
}

}  // namespace tarvo
