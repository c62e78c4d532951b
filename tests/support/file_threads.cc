#include "support/file_threads.h"

#include <algorithm>
#include <optional>

#include "hfs/catalog_insert.h"
#include "hfs/catalog_lookup.h"
#include "hfs/flush.h"
#include "hfs/navigation.h"
#include "hfs/work_file.h"
#include "support/hfs_volume.h"

namespace tarvo::testing {

std::uint32_t AddFileThread(Context& ctx, const std::string& name) {
  TreeWorkFile& catalog = ctx.volume.catalog;
  const std::uint32_t parentId = ctx.volume.current.currentDirId;
  const std::optional<CatalogRecord> file = FindNamedRecord(catalog, parentId, name);
  if (!file || file->type != kFileRecord) return 0;
  const std::uint32_t fileId = FileId(*file);
  PutU8(file->data, filrec::filFlags, static_cast<std::uint8_t>(GetU8(file->data, filrec::filFlags) | 0x02));
  if (!WriteNode(catalog, catalog.nodeNumber, catalog.node)) return 0;

  // Written field by field here, apart from the code under test.
  std::vector<std::uint8_t> thread(46, 0);
  thread[0] = kFileThread;
  PutU32(thread, 10, parentId);
  thread[14] = static_cast<std::uint8_t>(name.size());
  std::copy(name.begin(), name.end(), thread.begin() + 15);
  return InsertCatalogRecord(ctx, CatalogKey{0, fileId, ""}, thread) == CatalogEditStatus::kDone ? fileId : 0;
}

bool AddFileThreads(const std::string& image, const std::vector<std::string>& paths) {
  MountedVolume volume(image, false);
  if (!volume.attachError.empty() || volume.Mount() <= 0) return false;
  Context& ctx = volume.ctx;
  for (const std::string& path : paths) {
    RootDirectory(ctx);
    std::size_t start = 0;
    for (std::size_t colon; (colon = path.find(':', start)) != std::string::npos; start = colon + 1) {
      if (!ChangeDirectory(ctx, path.substr(start, colon - start))) return false;
    }
    if (AddFileThread(ctx, path.substr(start)) == 0) return false;
  }
  return FlushVolume(ctx).ok();
}

}  // namespace tarvo::testing
