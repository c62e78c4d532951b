#include "file_commit.h"

#include <algorithm>
#include <vector>

#include "base/type_creator.h"
#include "hfs/allocation.h"
#include "hfs/catalog_lookup.h"
#include "hfs/delete_entries.h"
#include "hfs/mac_date.h"
#include "hfs/navigation.h"
#include "hfs/volume_counters.h"
#include "hfs/work_file.h"
#include "transfer/write_file.h"
#include "ui/context.h"

namespace tarvo {

namespace {

// A file record without forks: the old file's, or a new one's.
std::vector<std::uint8_t> BaseRecord(Context& ctx, const std::optional<CatalogRecord>& old,
                                     const FileContent& content);
CommitStatus StatusOf(ForkWrite written);

// The temporary copy of a fork, closed when it goes.
struct TempFork {
  std::FILE* file = nullptr;
  ~TempFork() {
    if (file != nullptr) std::fclose(file);
  }
};

}  // namespace

CommitStatus CommitFile(Context& ctx, std::uint32_t parentId, const std::string& macName, const FileContent& content) {
  VolumeState& volume = ctx.volume;
  std::optional<CatalogRecord> old = FindNamedRecord(volume.catalog, parentId, macName);
  if (old && old->type != kFileRecord) return CommitStatus::kIsFolder;
  NewFile made;
  made.name = old ? old->key.name : macName;
  made.record = BaseRecord(ctx, old, content);
  const std::optional<std::uint32_t> fileId = NextCatalogId(volume);
  if (!fileId) return CommitStatus::kNoId;
  made.fileId = *fileId;
  PutU32(made.record, filrec::filFlNum, made.fileId);
  made.dataLength = content.dataLength;

  TempFork kept;
  std::FILE* resource = content.resource;
  made.resourceLength = content.resourceLength;
  if (resource == nullptr && old && ResourceLogicalLength(*old) > 0) {
    kept.file = MakeTempFile(ctx, "RSR", ResourceLogicalLength(*old));
    const ForkCopy copy = CopyForkToFile(ctx, ResourceExtents(*old), kept.file, FileId(*old),
                                         ResourceLogicalLength(*old), kResourceFork);
    if (copy.status != ForkCopyStatus::kComplete || copy.lostBytes != 0) return CommitStatus::kFailed;
    resource = kept.file;
    made.resourceLength = ResourceLogicalLength(*old);
  }
  const std::uint32_t oldId = old ? FileId(*old) : 0;
  old.reset();  // its data points into a node the writes below may replace

  if (!EnsureBitmapLoaded(ctx)) return CommitStatus::kFailed;
  if (made.dataLength > 0xFFFFFFFFu || made.resourceLength > 0xFFFFFFFFu) return CommitStatus::kNoSpace;
  // An insertion that cannot be made must not follow the old file's removal.
  if (ReserveInsertions(ctx, 1) != CatalogEditStatus::kDone) return CommitStatus::kCatalogFull;

  ForkWrite written = ForkWrite::kDone;
  if (made.dataLength > 0) {
    std::rewind(content.data);
    written = WriteFork(ctx, content.data, static_cast<std::uint32_t>(made.dataLength), made.fileId, kDataFork,
                        made.record);
  }
  if (written == ForkWrite::kDone && made.resourceLength > 0) {
    std::rewind(resource);
    written = WriteFork(ctx, resource, static_cast<std::uint32_t>(made.resourceLength), made.fileId, kResourceFork,
                        made.record);
  }
  if (written != ForkWrite::kDone) {
    GiveBackNewFile(ctx, made);
    return StatusOf(written);
  }
  if (oldId != 0) {
    if (!EnterDirectoryById(ctx, parentId) || DeleteFile(ctx, made.name) != DeleteStatus::kDone) {
      GiveBackNewFile(ctx, made);
      return CommitStatus::kFailed;
    }
  }
  switch (RecordNewFile(ctx, made, parentId)) {
    case CatalogEditStatus::kDone:
      return CommitStatus::kDone;
    case CatalogEditStatus::kNoRoom:
      return CommitStatus::kCatalogFull;
    default:
      return CommitStatus::kFailed;
  }
}

namespace {

std::vector<std::uint8_t> BaseRecord(Context& ctx, const std::optional<CatalogRecord>& old,
                                     const FileContent& content) {
  std::vector<std::uint8_t> record(filrec::kSize, 0);
  const std::uint32_t now = MacNow();
  if (old) {
    std::copy_n(old->data.begin(), filrec::kSize, record.begin());
  } else {
    PutU8(record, 0, kFileRecord);
    const std::string tc = TypeCreatorForPcName(ctx.typeCreators, content.pcName);
    std::copy_n(tc.begin(), 8, record.begin() + filrec::fdType);
    PutU32(record, filrec::filCrDat, now);
  }
  // The new file has no thread record, and its forks are not yet written.
  PutU8(record, filrec::filFlags, GetU8(record, filrec::filFlags) & ~filrec::kThreadExists);
  std::fill(record.begin() + filrec::filStBlk, record.begin() + filrec::filCrDat, 0);
  std::fill(record.begin() + filrec::filExtRec, record.begin() + filrec::filResrv, 0);
  PutU32(record, filrec::filMdDat, content.modified.value_or(now));
  return record;
}

CommitStatus StatusOf(ForkWrite written) {
  switch (written) {
    case ForkWrite::kNoSpace:
    case ForkWrite::kScattered:
      return CommitStatus::kNoSpace;
    default:
      return CommitStatus::kFailed;
  }
}

}  // namespace

}  // namespace tarvo
