#include "transfer/replace_file.h"

#include "base/charset.h"
#include "base/engine.h"
#include "device/sector_undo.h"
#include "hfs/allocation.h"
#include "hfs/catalog_insert.h"
#include "hfs/catalog_lookup.h"
#include "hfs/delete_entries.h"
#include "hfs/delete_question.h"
#include "hfs/volume_header.h"

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
ReplaceResult Replace(Engine& ctx, std::FILE* file, NewFile& made, const OldItem& old, const std::string& pcName,
                      bool takeOldBlocks);
ReplaceResult Ended(ReplaceOutcome outcome);
ReplaceResult NotWritten(FileWrite written);
// Takes the update back and the volume from the medium again.
ReplaceResult TakeBack(Engine& ctx, UndoScope& undo, const OldItem& old, ReplaceResult failure);
void LogReplaced(Engine& ctx, const std::string& pcName, const NewFile& made, const OldItem* deleted);

}  // namespace

ReplaceResult ReplaceWithPcFile(Engine& ctx, const MacFileSource& source, const std::string& pcName) {
  VolumeState& volume = ctx.volume;
  std::optional<NewFile> made = DescribeNewFile(ctx, source, 0);
  if (!made) return NotWritten(FileWrite::kNoCatalogId);
  if (!EnsureBitmapLoaded(ctx)) return NotWritten(FileWrite::kBitmapUnreadable);
  const OldItem old = FindOldItem(ctx, made->name);
  if (ReserveInsertions(ctx, 1) != CatalogEditStatus::kDone) return NotWritten(FileWrite::kCatalogRefused);

  const std::uint64_t needed = NewFileBlocks(ctx, *made);
  if (needed <= CountAllocatableBlocks(volume)) return Replace(ctx, source.stream, *made, old, pcName, false);
  if (ctx.device.undo != nullptr || needed > std::uint64_t{GetU16(volume.mdb, mdb::drFreeBks)} + old.blocks) {
    return NotWritten(FileWrite::kNoSpace);
  }
  // Blocks freed before and not yet flushed may be handed out once the
  // flush has written their release; a failure later goes back to here.
  if (const FlushStatus flush = FlushVolume(ctx); !flush.ok()) {
    ReplaceResult result = Ended(ReplaceOutcome::kNotFlushed);
    result.flush = flush;
    return result;
  }
  if (!EnsureBitmapLoaded(ctx)) return NotWritten(FileWrite::kBitmapUnreadable);
  const std::uint32_t free = CountAllocatableBlocks(volume);
  if (needed <= free) return Replace(ctx, source.stream, *made, old, pcName, false);
  if (!old.file || needed > std::uint64_t{free} + old.blocks || !UndoHolds(ctx, needed - free)) {
    return NotWritten(FileWrite::kNoSpace);
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

ReplaceResult Replace(Engine& ctx, std::FILE* file, NewFile& made, const OldItem& old, const std::string& pcName,
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
    const ReplaceResult failure = NotWritten(written);
    return undo ? TakeBack(ctx, *undo, old, failure) : failure;
  }

  if (!undo) {
    switch (DeleteItem(ctx, old.name, AskBeforeNonEmpty(ctx))) {
      case DeleteStatus::kDone:
      case DeleteStatus::kNotFound:
        break;
      case DeleteStatus::kCancelled:
        GiveBackNewFile(ctx, made);
        return Ended(ReplaceOutcome::kCancelled);
      case DeleteStatus::kFailed:
        GiveBackNewFile(ctx, made);
        return Ended(ReplaceOutcome::kOldItemKept);
    }
  }
  if (RecordNewFile(ctx, made, folder) != CatalogEditStatus::kDone) {
    const ReplaceResult failure = NotWritten(FileWrite::kCatalogRefused);
    return undo ? TakeBack(ctx, *undo, old, failure) : failure;
  }
  if (!undo) {
    LogReplaced(ctx, pcName, made, nullptr);
    return ReplaceResult{};
  }
  if (!FlushVolume(ctx).ok()) return TakeBack(ctx, *undo, old, Ended(ReplaceOutcome::kChangeNotMade));
  LogReplaced(ctx, pcName, made, &old);
  return ReplaceResult{};
}

ReplaceResult Ended(ReplaceOutcome outcome) {
  ReplaceResult result;
  result.outcome = outcome;
  return result;
}

ReplaceResult NotWritten(FileWrite written) {
  ReplaceResult result = Ended(ReplaceOutcome::kNotWritten);
  result.written = written;
  return result;
}

ReplaceResult TakeBack(Engine& ctx, UndoScope& undo, const OldItem& old, ReplaceResult failure) {
  failure.oldFileLost = !undo.Restore();
  failure.oldName = old.name;
  ReloadFromMedium(ctx);
  return failure;
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
