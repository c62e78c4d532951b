#include "transfer/replace_file.h"

#include "base/charset.h"
#include "base/engine.h"
#include "device/sector_undo.h"
#include "hfs/allocation.h"
#include "hfs/catalog_insert.h"
#include "hfs/catalog_lookup.h"
#include "hfs/delete_entries.h"
#include "hfs/delete_question.h"
#include "hfs/flush.h"
#include "hfs/flush_report.h"
#include "hfs/volume_header.h"
#include "base/charset.h"
#include "transfer/pc_copy_report.h"
#include "transfer/copy_to_mac.h"

namespace tarvo {

namespace {

struct OldItem {
  std::string name;  // as the catalog holds it
  bool file = false;
  std::uint32_t blocks = 0;  // a file's, both forks
};

// The item the new file replaces; a name no longer there counts as an
// empty folder (nothing to give up, nothing to delete).
OldItem FindOldItem(Engine& ctx, const std::string& name);
// Whether one update may hold the blocks of the old file the new one
// overwrites, and all a flush writes besides.
bool UndoHolds(const Engine& ctx, std::uint64_t overwrittenBlocks);
ReplaceOutcome Replace(Engine& ctx, std::FILE* file, NewFile& made, const OldItem& old, const std::string& pcName,
                       bool takeOldBlocks);
// Takes the update back and the volume from the medium again.
ReplaceOutcome TakeBack(Engine& ctx, UndoScope& undo, const OldItem& old);
void LogReplaced(Engine& ctx, const std::string& pcName, const NewFile& made, const OldItem* deleted);

}  // namespace

ReplaceOutcome ReplaceWithPcFile(Engine& ctx, const MacFileSource& source, const std::string& pcName) {
  VolumeState& volume = ctx.volume;
  std::optional<NewFile> made = DescribeNewFile(ctx, source, 0);
  if (!made) {
    TellFileWrite(ctx, FileWrite::kNoCatalogId, pcName, source.name);
    return ReplaceOutcome::kFailed;
  }
  if (!EnsureBitmapLoaded(ctx)) {
    MessageDialog(ctx, ctx.messages[kMsgErrorReadingData]);
    return ReplaceOutcome::kFailed;
  }
  const OldItem old = FindOldItem(ctx, made->name);
  if (ReserveInsertions(ctx, 1) != CatalogEditStatus::kDone) return ReplaceOutcome::kFailed;

  const std::uint64_t needed = NewFileBlocks(ctx, *made);
  if (needed <= CountAllocatableBlocks(volume)) return Replace(ctx, source.stream, *made, old, pcName, false);
  if (ctx.device.undo != nullptr || needed > std::uint64_t{GetU16(volume.mdb, mdb::drFreeBks)} + old.blocks) {
    MessageDialog(ctx, ctx.messages[kMsgVolumeFull]);
    return ReplaceOutcome::kFailed;
  }
  // Blocks freed before and not yet flushed may be handed out once the
  // flush has written their release; a failure later goes back to here.
  if (!FlushVolumeAndReport(ctx)) return ReplaceOutcome::kFailed;
  if (!EnsureBitmapLoaded(ctx)) {
    MessageDialog(ctx, ctx.messages[kMsgErrorReadingData]);
    return ReplaceOutcome::kFailed;
  }
  const std::uint32_t free = CountAllocatableBlocks(volume);
  if (needed <= free) return Replace(ctx, source.stream, *made, old, pcName, false);
  if (!old.file || needed > std::uint64_t{free} + old.blocks || !UndoHolds(ctx, needed - free)) {
    MessageDialog(ctx, ctx.messages[kMsgVolumeFull]);
    return ReplaceOutcome::kFailed;
  }
  return Replace(ctx, source.stream, *made, old, pcName, true);
}

namespace {

OldItem FindOldItem(Engine& ctx, const std::string& name) {
  const std::optional<CatalogRecord> record =
      FindNamedRecord(ctx.volume.catalog, ctx.volume.current.currentDirId, name);
  OldItem old{record ? record->key.name : name};
  if (!record || record->type != kFileRecord || ctx.volume.allocBlockSize == 0) return old;
  old.file = true;
  const std::uint64_t bytes = std::uint64_t{GetU32(record->data, filrec::filPyLen)} +
                              GetU32(record->data, filrec::filRPyLen);
  old.blocks = static_cast<std::uint32_t>(bytes / ctx.volume.allocBlockSize);
  return old;
}

bool UndoHolds(const Engine& ctx, std::uint64_t overwrittenBlocks) {
  const VolumeState& v = ctx.volume;
  const std::uint64_t metadata = (std::uint64_t{v.bitmapSectors} + 2) * 512 + GetU32(v.mdb, mdb::drXTFlSize) +
                                 GetU32(v.mdb, mdb::drCTFlSize);
  return overwrittenBlocks * v.allocBlockSize + metadata <= kMostUndoBytes;
}

ReplaceOutcome Replace(Engine& ctx, std::FILE* file, NewFile& made, const OldItem& old, const std::string& pcName,
                       bool takeOldBlocks) {
  const std::uint32_t folder = ctx.volume.current.currentDirId;
  std::optional<UndoScope> undo;
  // Once the free blocks are used up: the old file goes (in the work files
  // only) and its blocks are handed out within the update.
  const MoreBlocks giveUpOldFile = [&ctx, &undo, &old] {
    if (undo) return false;
    undo.emplace(ctx);
    if (DeleteFile(ctx, old.name) != DeleteStatus::kDone) return false;
    AllowFreedBlocks(ctx.volume);
    return true;
  };
  const FileWrite written = WriteNewForks(ctx, file, made, pcName, takeOldBlocks ? giveUpOldFile : MoreBlocks{});
  if (written != FileWrite::kDone) {
    TellFileWrite(ctx, written, pcName, made.name);
    return undo ? TakeBack(ctx, *undo, old) : ReplaceOutcome::kFailed;
  }

  if (!undo) {
    switch (DeleteItem(ctx, old.name, AskBeforeNonEmpty(ctx))) {
      case DeleteStatus::kDone:
      case DeleteStatus::kNotFound:
        break;
      case DeleteStatus::kCancelled:
        GiveBackNewFile(ctx, made);
        return ReplaceOutcome::kCancelled;
      case DeleteStatus::kFailed:
        GiveBackNewFile(ctx, made);
        return ReplaceOutcome::kFailed;
    }
  }
  if (RecordNewFile(ctx, made, folder) != CatalogEditStatus::kDone) {
    return undo ? TakeBack(ctx, *undo, old) : ReplaceOutcome::kFailed;
  }
  if (!undo) {
    LogReplaced(ctx, pcName, made, nullptr);
    return ReplaceOutcome::kReplaced;
  }
  if (!FlushVolume(ctx).ok()) {
    MessageDialog(ctx, kTextChangeNotMade);
    return TakeBack(ctx, *undo, old);
  }
  LogReplaced(ctx, pcName, made, &old);
  return ReplaceOutcome::kReplaced;
}

ReplaceOutcome TakeBack(Engine& ctx, UndoScope& undo, const OldItem& old) {
  const bool restored = undo.Restore();
  ReloadFromMedium(ctx);
  if (!restored) {
    MessageDialog(ctx, "The volume may need checking: the file " + ConvertString(old.name, MacToAnsi) +
                           " could not be put back.");
  }
  return ReplaceOutcome::kFailed;
}

// The item deleted under the undo scope is logged here; one deleted
// beside logged itself.
void LogReplaced(Engine& ctx, const std::string& pcName, const NewFile& made, const OldItem* deleted) {
  if (!IsLogOpen(ctx.log)) return;
  if (deleted != nullptr) AppendLog(ctx.log, "*del " + ConvertString(deleted->name, MacToAnsi) + "\r\n");
  AppendLog(ctx.log, pcName + "\t" + ConvertString(made.name, MacToAnsi) + "\r\n");
}

}  // namespace

}  // namespace tarvo
