#include "hfs/file_thread.h"

#include <algorithm>
#include <optional>

#include "base/engine.h"
#include "hfs/btree.h"
#include "hfs/catalog_delete.h"
#include "hfs/catalog_search.h"
#include "hfs/work_file.h"

namespace tarvo {

namespace {

// The file thread of a file, read into the catalog's node: kDone with its
// leaf and data, kAbsent when the key (file ID, "") is missing or holds
// another type, kFailed when the tree cannot be walked there.
struct FoundThread {
  FileThreadStatus status = FileThreadStatus::kAbsent;
  std::uint32_t leaf = 0;
  Bytes data;
};

FoundThread FindFileThread(TreeWorkFile& catalog, std::uint32_t fileId) {
  const KeyPosition position = LocateCatalogKey(catalog, "", fileId);
  if (position.status == SearchStatus::kDamaged) return {FileThreadStatus::kFailed, 0, {}};
  if (position.status != SearchStatus::kFound || !position.exists) return {};
  const std::optional<Bytes> raw = RecordAt(catalog.node, position.index);
  const std::optional<CatalogRecord> record = raw ? ReadCatalogRecord(*raw) : std::nullopt;
  if (!record || record->type != kFileThread) return {};
  return {FileThreadStatus::kDone, position.node, record->data};
}

}  // namespace

FileThreadStatus RewriteFileThread(Engine& ctx, std::uint32_t fileId, std::uint32_t parentId,
                                   std::string_view name) {
  TreeWorkFile& catalog = ctx.volume.catalog;
  const FoundThread thread = FindFileThread(catalog, fileId);
  if (thread.status != FileThreadStatus::kDone) return thread.status;
  // The record keeps its size (the name field always holds 31 characters):
  // it is rewritten in its place.
  if (!PutThreadParentAndName(thread.data, parentId, name)) return FileThreadStatus::kFailed;
  return WriteNode(catalog, thread.leaf, catalog.node) ? FileThreadStatus::kDone : FileThreadStatus::kFailed;
}

FileThreadStatus DeleteFileThreads(Engine& ctx, std::vector<std::uint32_t> fileIds) {
  // Thread keys have empty names: their order is their file IDs'.
  std::sort(fileIds.begin(), fileIds.end());
  fileIds.erase(std::unique(fileIds.begin(), fileIds.end()), fileIds.end());
  std::vector<OwnedRecord> keys;
  keys.reserve(fileIds.size());
  for (const std::uint32_t fileId : fileIds) keys.push_back(CatalogKeyBytes(fileId, ""));
  // A key (file ID, "") holding another type is not the file's thread.
  const RecordFilter notThread = [](ConstBytes raw) {
    const std::optional<std::size_t> data = RecordDataOffset(raw);
    return !data || GetU8(raw, *data) != kFileThread;
  };
  const BatchDeletion deletion = DeleteCatalogRecords(ctx, keys, notThread);
  if (deletion.status != TreeEditStatus::kDone) return FileThreadStatus::kFailed;
  return std::find(deletion.deleted.begin(), deletion.deleted.end(), true) != deletion.deleted.end()
             ? FileThreadStatus::kDone
             : FileThreadStatus::kAbsent;
}

}  // namespace tarvo
