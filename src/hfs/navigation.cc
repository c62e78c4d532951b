#include "hfs/navigation.h"

#include <string>

#include "base/engine.h"
#include "hfs/catalog_lookup.h"
#include "hfs/catalog_record.h"
#include "hfs/catalog_search.h"
#include "hfs/name_order.h"
#include "hfs/work_file.h"

namespace tarvo {

bool VolumeOpen(const Engine& ctx) { return ctx.volume.targetId != kNoDevice && ctx.volume.volumeOrigin > 0; }

namespace {

std::optional<CatalogRecord> FindRecord(Engine& ctx, std::string_view pattern, int type, std::uint32_t parentId);
std::optional<CatalogRecord> FindFolder(Engine& ctx, std::string_view name, std::uint32_t parentId);
std::string DisplayName(Engine& ctx, std::uint32_t dirId, const std::string& name);
void Log(Engine& ctx, std::string_view line);

}  // namespace

std::optional<std::uint16_t> EnterDirectory(Engine& ctx, std::uint32_t parentId, std::string_view name) {
  const std::optional<CatalogRecord> dir = FindFolder(ctx, name, parentId);
  if (!dir) return std::nullopt;
  CurrentDirectory& current = ctx.volume.current;
  current.parentDirId = parentId;
  current.currentDirId = DirectoryId(*dir);
  current.currentDirName = DisplayName(ctx, current.currentDirId, dir->key.name);
  return Valence(*dir);
}

std::optional<std::uint16_t> ChangeDirectory(Engine& ctx, std::string_view name) {
  CurrentDirectory& current = ctx.volume.current;
  const std::optional<CatalogRecord> dir = FindFolder(ctx, name, current.currentDirId);
  if (!dir) return std::nullopt;
  const std::uint32_t dirId = DirectoryId(*dir);
  const std::uint16_t valence = Valence(*dir);
  const std::string dirName = dir->key.name;
  const std::optional<CatalogRecord> thread = FindRecord(ctx, "*", kWantThread, dirId);
  if (!thread) return std::nullopt;
  current.parentDirId = ThreadParentId(*thread);
  current.currentDirId = dirId;
  current.currentDirName = DisplayName(ctx, dirId, dirName);
  Log(ctx, "*cd " + std::string(name) + "\r\n");
  return valence;
}

std::optional<std::uint16_t> ParentDirectory(Engine& ctx) {
  // The parent's thread holds the grandparent's ID and the parent's name.
  const std::optional<CatalogRecord> thread = FindRecord(ctx, "*", kWantThread, ctx.volume.current.parentDirId);
  if (!thread) return std::nullopt;
  const std::optional<std::uint16_t> valence = EnterDirectory(ctx, ThreadParentId(*thread), ThreadName(*thread));
  if (valence) Log(ctx, "*cd..\n");
  return valence;
}

std::optional<std::uint16_t> RootDirectory(Engine& ctx) {
  // The only directory record under parent 1 is the root.
  const std::optional<std::uint16_t> valence = EnterDirectory(ctx, kRootParentId, "*");
  if (valence) Log(ctx, "*cd\\\n");
  return valence;
}

std::optional<std::uint16_t> EnterDirectoryById(Engine& ctx, std::uint32_t dirId) {
  const std::optional<CatalogRecord> thread = FindRecord(ctx, "*", kWantThread, dirId);
  if (!thread) return std::nullopt;
  const std::uint32_t parentId = ThreadParentId(*thread);
  // The name is looked up whole: a '*' in it is no wildcard here.
  const std::optional<CatalogRecord> dir = FindNamedRecord(ctx.volume.catalog, parentId, ThreadName(*thread));
  if (!dir || dir->type != kDirectoryRecord || DirectoryId(*dir) != dirId) return std::nullopt;
  CurrentDirectory& current = ctx.volume.current;
  current.parentDirId = parentId;
  current.currentDirId = dirId;
  current.currentDirName = DisplayName(ctx, dirId, dir->key.name);
  return Valence(*dir);
}

std::optional<std::uint16_t> AdjustFolderValence(Engine& ctx, std::uint32_t dirId, int delta) {
  const std::optional<CatalogRecord> thread = FindRecord(ctx, "*", kWantThread, dirId);
  if (!thread) return std::nullopt;
  const std::optional<CatalogRecord> dir =
      FindNamedRecord(ctx.volume.catalog, ThreadParentId(*thread), ThreadName(*thread));
  if (!dir || dir->type != kDirectoryRecord || DirectoryId(*dir) != dirId) return std::nullopt;
  const auto valence = static_cast<std::uint16_t>(Valence(*dir) + delta);
  PutU16(dir->data, dirrec::dirVal, valence);
  TreeWorkFile& catalog = ctx.volume.catalog;
  if (!WriteNode(catalog, catalog.nodeNumber, catalog.node)) return std::nullopt;
  return valence;
}

namespace {

std::optional<CatalogRecord> FindRecord(Engine& ctx, std::string_view pattern, int type, std::uint32_t parentId) {
  const FoundRecord found = FindCatalogRecord(ctx.volume.catalog, pattern, type, parentId);
  return found ? ReadCatalogRecord(found.record) : std::nullopt;
}

// The folder of exactly that name, else the first one the name matches as
// a pattern: a listed name may hold '*' or '?'.
std::optional<CatalogRecord> FindFolder(Engine& ctx, std::string_view name, std::uint32_t parentId) {
  const std::optional<CatalogRecord> dir = FindNamedRecord(ctx.volume.catalog, parentId, TrimTrailingBlanks(name));
  if (dir && dir->type == kDirectoryRecord) return dir;
  return FindRecord(ctx, name, kWantDirectory, parentId);
}

std::string DisplayName(Engine& ctx, std::uint32_t dirId, const std::string& name) {
  return dirId == kRootDirId ? ctx.messages[kMsgRootName] : name + " ";
}

void Log(Engine& ctx, std::string_view line) {
  if (IsLogOpen(ctx.log)) AppendLog(ctx.log, line);
}

}  // namespace

}  // namespace tarvo
