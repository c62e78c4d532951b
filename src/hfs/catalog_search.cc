#include "hfs/catalog_search.h"

#include <algorithm>
#include <array>
#include <functional>
#include <optional>

#include "base/volume_state.h"
#include "hfs/btree.h"
#include "hfs/catalog_record.h"
#include "hfs/name_order.h"
#include "hfs/work_file.h"

namespace tarvo {

namespace {

constexpr FoundRecord kDamaged{SearchStatus::kDamaged, {}};

// A pattern descent treats '*' and '?' as wildcards; an exact one compares
// the whole name, since both are legal characters of Macintosh names.
enum class Descent { kPattern, kExact };

SearchStatus DescendToLeaf(TreeWorkFile& tree, TreeWalk& walk, std::string_view pattern, std::uint32_t parentId,
                           Descent descent);
// Offers each matching record in key order to `take` until it returns
// false (kFound then, the tree's node holding the record's leaf); kNotFound
// when the matches ran out.
SearchStatus WalkMatches(TreeWorkFile& tree, std::string_view pattern, int wantedType, std::uint32_t parentId,
                         const std::function<bool(Bytes record)>& take);
bool Wanted(std::uint8_t recordType, int wantedType);
bool StopsBefore(std::string_view pattern, std::string_view name);
bool RememberedDescent(TreeWorkFile& tree, TreeWalk& walk, std::string_view pattern, std::uint32_t parentId,
                       Descent descent);
// The index nodes a descent passes; more than the memo keeps are counted,
// not kept.
struct DescentPath {
  std::array<std::uint32_t, DescentMemo::kMostDepth> nodes{};
  std::size_t depth = 0;
  void Add(std::uint32_t n) {
    if (depth < nodes.size()) nodes[depth] = n;
    ++depth;
  }
};
void RememberDescent(TreeWorkFile& tree, std::string_view pattern, std::uint32_t parentId, Descent descent,
                     const DescentPath& path, std::uint32_t leaf);

}  // namespace

FoundRecord FindCatalogRecord(TreeWorkFile& tree, std::string_view pattern, int wantedType, std::uint32_t parentId) {
  FoundRecord found;
  const SearchStatus status = WalkMatches(tree, pattern, wantedType, parentId, [&found](Bytes record) {
    found = FoundRecord{SearchStatus::kFound, record};
    return false;
  });
  return status == SearchStatus::kDamaged ? kDamaged : found;
}

FoundRecords FindCatalogRecords(TreeWorkFile& tree, std::string_view pattern, int wantedType,
                                std::uint32_t parentId) {
  FoundRecords found;
  found.status = WalkMatches(tree, pattern, wantedType, parentId, [&found](Bytes record) {
    found.records.emplace_back(record.begin(), record.end());
    return true;
  });
  if (found.status == SearchStatus::kNotFound && !found.records.empty()) found.status = SearchStatus::kFound;
  return found;
}

FoundRecord NextLeafRecord(TreeWorkFile& tree, TreeWalk& walk) {
  if (tree.nodeNumber < walk.seen.size()) walk.seen[tree.nodeNumber] = true;
  std::size_t index = tree.recordIndex + std::size_t{1};
  while (index >= NodeRecordCount(tree.node)) {
    const std::uint32_t next = NodeForwardLink(tree.node);
    if (next == 0) return FoundRecord{};
    if (!WalkTo(tree, walk, next) || NodeType(tree.node) != kLeafNode) return kDamaged;
    index = 0;
  }
  const std::optional<Bytes> raw = RecordAt(tree.node, index);
  if (!raw || !ViewCatalogKey(*raw)) return kDamaged;
  tree.recordIndex = static_cast<std::uint16_t>(index);
  return FoundRecord{SearchStatus::kFound, *raw};
}

InsertPosition FindInsertPosition(TreeWorkFile& tree, std::string_view name, std::uint32_t parentId) {
  TreeWalk walk = StartWalk(tree);
  InsertPosition position;
  if (parentId == kRootParentId) {
    // The root's own record sorts before every other key.
    if (!WalkTo(tree, walk, GetU32(tree.header, header::bthFNode)) || NodeType(tree.node) != kLeafNode) {
      position.status = SearchStatus::kDamaged;
      return position;
    }
  } else {
    position.status = DescendToLeaf(tree, walk, name, parentId, Descent::kExact);
    if (position.status != SearchStatus::kFound) return position;
  }
  position.status = SearchStatus::kFound;
  position.node = tree.nodeNumber;
  position.recordIndex = 0;
  if (parentId == kRootParentId) return position;

  const std::uint16_t count = NodeRecordCount(tree.node);
  for (std::uint16_t i = 0; i < count; ++i) {
    const std::optional<Bytes> raw = RecordAt(tree.node, i);
    const std::optional<CatalogKeyView> key = raw ? ViewCatalogKey(*raw) : std::nullopt;
    if (!key) {
      position.status = SearchStatus::kDamaged;
      return position;
    }
    // The first key above (parentId, name) is the place.
    if (key->parentId > parentId || (key->parentId == parentId && CompareNames(name, key->name) < 0)) {
      position.recordIndex = i;
      tree.recordIndex = i;
      return position;
    }
  }
  position.recordIndex = kBehindLastRecord;
  tree.recordIndex = kBehindLastRecord;
  return position;
}

KeyPosition LocateCatalogKey(TreeWorkFile& tree, std::string_view name, std::uint32_t parentId) {
  const InsertPosition place = FindInsertPosition(tree, name, parentId);
  KeyPosition position{place.status, place.node, 0, false};
  if (place.status != SearchStatus::kFound) return position;
  // The leaf is scanned whole: the root's own key (parent 1) is placed at
  // the start of the first leaf without comparing.
  const std::uint16_t count = NodeRecordCount(tree.node);
  for (; position.index < count; ++position.index) {
    const std::optional<Bytes> raw = RecordAt(tree.node, position.index);
    const std::optional<CatalogKeyView> key = raw ? ViewCatalogKey(*raw) : std::nullopt;
    if (!key) {
      position.status = SearchStatus::kDamaged;
      return position;
    }
    if (key->parentId < parentId) continue;
    const int order = key->parentId > parentId ? 1 : CompareNames(key->name, name);
    if (order < 0) continue;
    position.exists = order == 0;
    break;
  }
  return position;
}

namespace {

// Where an index record sends the descent: -1 to the previous record's
// child, 0 to its own, +1 further on.
int DescentOrder(std::string_view pattern, const CatalogKeyView& key, std::uint32_t parentId, Descent descent) {
  if (key.parentId > parentId) return -1;
  if (key.parentId < parentId) return 1;
  // A pattern descends as its prefix before any wildcard, which sorts at or
  // before every name it can match ("" before every name: to the thread).
  const int order = CompareNames(descent == Descent::kExact ? pattern : WildcardPrefix(pattern), key.name);
  return (order > 0) - (order < 0);
}

// The child of the index node that covers (parentId, pattern).
std::optional<std::uint32_t> ChooseChild(Bytes node, std::string_view pattern, std::uint32_t parentId,
                                         Descent descent) {
  const std::uint16_t count = NodeRecordCount(node);
  if (count == 0) return std::nullopt;
  // The first record whose key is not below (parentId, pattern), by
  // halves: the keys of a node are in order.
  std::size_t low = 0;
  int order = 1;
  for (std::size_t high = count; low < high;) {
    const std::size_t middle = low + (high - low) / 2;
    const std::optional<Bytes> raw = RecordAt(node, middle);
    const std::optional<CatalogKeyView> key = raw ? ViewCatalogKey(*raw) : std::nullopt;
    if (!key) return std::nullopt;
    const int here = DescentOrder(pattern, *key, parentId, descent);
    if (here > 0) {
      low = middle + 1;
    } else {
      high = middle;
      order = here;
    }
  }
  // Its own child when the keys are equal, else the one before it; a key
  // below them all goes to the first child.
  const std::size_t chosen = order == 0 ? low : low > 0 ? low - 1 : 0;
  const std::optional<Bytes> raw = RecordAt(node, chosen);
  return raw ? IndexChild(*raw) : std::nullopt;
}

SearchStatus DescendToLeaf(TreeWorkFile& tree, TreeWalk& walk, std::string_view pattern, std::uint32_t parentId,
                           Descent descent) {
  std::uint32_t n = GetU32(tree.header, header::bthRoot);
  if (n == 0) return SearchStatus::kNotFound;  // an empty tree
  if (RememberedDescent(tree, walk, pattern, parentId, descent)) return SearchStatus::kFound;
  DescentPath path;
  for (;;) {
    if (!WalkTo(tree, walk, n)) return SearchStatus::kDamaged;
    const std::uint8_t type = NodeType(tree.node);
    if (type == kLeafNode) {
      RememberDescent(tree, pattern, parentId, descent, path, n);
      return SearchStatus::kFound;
    }
    if (type != kIndexNode) return SearchStatus::kDamaged;
    const std::optional<std::uint32_t> child = ChooseChild(tree.node, pattern, parentId, descent);
    if (!child) return SearchStatus::kDamaged;
    path.Add(n);
    n = *child;
  }
}

SearchStatus WalkMatches(TreeWorkFile& tree, std::string_view pattern, int wantedType, std::uint32_t parentId,
                         const std::function<bool(Bytes record)>& take) {
  pattern = TrimTrailingBlanks(pattern);
  TreeWalk walk = StartWalk(tree);
  const SearchStatus descent = DescendToLeaf(tree, walk, pattern, parentId, Descent::kPattern);
  if (descent != SearchStatus::kFound) return descent;

  for (;;) {
    const std::uint16_t count = NodeRecordCount(tree.node);
    for (std::uint16_t i = 0; i < count; ++i) {
      const std::optional<Bytes> raw = RecordAt(tree.node, i);
      const std::optional<CatalogRecord> record = raw ? ReadCatalogRecord(*raw) : std::nullopt;
      if (!record) return SearchStatus::kDamaged;
      if (record->key.parentId > parentId) return SearchStatus::kNotFound;
      if (record->key.parentId < parentId) continue;
      if (StopsBefore(pattern, record->key.name)) return SearchStatus::kNotFound;
      tree.recordIndex = i;
      const bool matches = record->type == kDirectoryThread
                               ? wantedType == kWantThread
                               : !record->key.name.empty() && MatchName(pattern, record->key.name) == 0 &&
                                     Wanted(record->type, wantedType);
      if (matches && !take(*raw)) return SearchStatus::kFound;
    }
    const std::uint32_t next = NodeForwardLink(tree.node);
    if (next == 0) return SearchStatus::kNotFound;
    if (!WalkTo(tree, walk, next) || NodeType(tree.node) != kLeafNode) return SearchStatus::kDamaged;
  }
}

bool Wanted(std::uint8_t recordType, int wantedType) {
  if (wantedType == kWantEntry) return recordType == kDirectoryRecord || recordType == kFileRecord;
  return wantedType == recordType;
}

// Records are in name order: once the first character of the pattern's
// prefix (before any wildcard) weighs less than a record name's, no later
// record can match.
bool StopsBefore(std::string_view pattern, std::string_view name) {
  const std::string_view prefix = WildcardPrefix(pattern);
  return !prefix.empty() && !name.empty() &&
         NameWeight(static_cast<unsigned char>(prefix.front())) < NameWeight(static_cast<unsigned char>(name.front()));
}

// The leaf a remembered descent for the same question ended at, made the
// tree's node and marked seen by the walk with the index nodes before it,
// as the descent would leave them: when the root is the same and none of
// those index nodes has been written since, the descent would take the
// same way. False (the walk untouched) when it must be made.
bool RememberedDescent(TreeWorkFile& tree, TreeWalk& walk, std::string_view pattern, std::uint32_t parentId,
                       Descent descent) {
  const std::uint32_t root = GetU32(tree.header, header::bthRoot);
  DescentMemo& memo = tree.cache.descents;
  for (DescentMemo::Entry& entry : memo.entries) {
    if (!entry.valid || entry.exact != (descent == Descent::kExact) || entry.parentId != parentId ||
        entry.root != root || entry.pattern != pattern) {
      continue;
    }
    for (std::size_t i = 0; i < entry.depth; ++i) {
      const std::uint32_t n = entry.path[i];
      if (NodeWrites(tree, n) != entry.writes[i] || n >= walk.seen.size() || walk.seen[n]) return false;
    }
    if (entry.leaf >= walk.seen.size() || walk.seen[entry.leaf]) return false;
    if (!WalkTo(tree, walk, entry.leaf) || NodeType(tree.node) != kLeafNode) {
      walk.seen[entry.leaf] = false;  // the descent reads it again
      return false;
    }
    for (std::size_t i = 0; i < entry.depth; ++i) walk.seen[entry.path[i]] = true;
    entry.used = ++memo.uses;
    return true;
  }
  return false;
}

void RememberDescent(TreeWorkFile& tree, std::string_view pattern, std::uint32_t parentId, Descent descent,
                     const DescentPath& path, std::uint32_t leaf) {
  DescentMemo& memo = tree.cache.descents;
  if (!tree.cache.ready || path.depth > DescentMemo::kMostDepth) return;  // the memo goes with the cache
  DescentMemo::Entry& entry = *std::min_element(
      memo.entries.begin(), memo.entries.end(),
      [](const DescentMemo::Entry& a, const DescentMemo::Entry& b) { return a.used < b.used; });
  entry.used = ++memo.uses;
  entry.valid = true;
  entry.exact = descent == Descent::kExact;
  entry.parentId = parentId;
  entry.pattern.assign(pattern);
  entry.root = GetU32(tree.header, header::bthRoot);
  entry.depth = static_cast<std::uint8_t>(path.depth);
  for (std::size_t i = 0; i < path.depth; ++i) {
    entry.path[i] = path.nodes[i];
    entry.writes[i] = NodeWrites(tree, path.nodes[i]);
  }
  entry.leaf = leaf;
}

}  // namespace

}  // namespace tarvo
