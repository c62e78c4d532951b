// Catalog hot paths: the searches for a record and an insertion.
#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "hfs/btree.h"
#include "hfs/catalog_insert.h"
#include "hfs/catalog_record.h"
#include "hfs/catalog_search.h"
#include "support/hfs_nodes.h"
#include "ui/context.h"
#include "ui/scripted_ui.h"

namespace tarvo {
namespace {

constexpr std::uint32_t kFolder = 16;
constexpr std::uint32_t kNodes = 2048;

// f0000.txt, f0001.txt, ...: names in the order of their numbers.
std::string FileName(std::int64_t i) {
  std::string digits = std::to_string(i);
  if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
  return "f" + digits + ".txt";
}

// A catalog work file of 2048 nodes holding `files` file records in one
// folder, added the way a copy adds them (in name order).
struct Catalog {
  explicit Catalog(std::int64_t files) {
    NodeBuffer head = testing::BuildHeaderNode(0, 0, 0, kNodes);
    head[header::kMapRecord] = 0x80;  // the header node
    std::vector<NodeBuffer> nodes(kNodes);
    nodes[0] = head;
    file = std::make_unique<testing::TestTree>(nodes);
    ctx.ui = &ui;
    ctx.volume.catalog = file->tree;
    ctx.volume.current.currentDirId = kFolder;
    for (std::int64_t i = 0; i < files; ++i) Add(i);
  }
  ~Catalog() { ctx.volume.catalog.handle = nullptr; }  // the test tree closes it

  void Add(std::int64_t i) {
    std::vector<std::uint8_t> data(filrec::kSize, 0);
    data[0] = kFileRecord;
    PutU32(data, filrec::filFlNum, static_cast<std::uint32_t>(100 + i));
    if (InsertCatalogRecord(ctx, CatalogKey{0, kFolder, FileName(i)}, data) != CatalogEditStatus::kDone) {
      throw std::runtime_error("insertion failed");
    }
  }

  ScriptedUi ui;
  Context ctx;
  std::unique_ptr<testing::TestTree> file;
};

void BM_FindCatalogRecord(benchmark::State& state) {
  Catalog catalog(state.range(0));
  const std::string name = FileName(state.range(0) * 2 / 3);
  for (auto _ : state) {
    benchmark::DoNotOptimize(FindCatalogRecord(catalog.ctx.volume.catalog, name, kWantEntry, kFolder));
  }
}
BENCHMARK(BM_FindCatalogRecord)->Arg(100)->Arg(1000);

void BM_FindCatalogRecordWildcard(benchmark::State& state) {
  Catalog catalog(state.range(0));
  for (auto _ : state) {
    benchmark::DoNotOptimize(FindCatalogRecord(catalog.ctx.volume.catalog, "f09*", kWantEntry, kFolder));
  }
}
BENCHMARK(BM_FindCatalogRecordWildcard)->Arg(1000);

// The exact search of an edit, for keys that change from call to call
// (range 0) or for one key asked again while the tree is unchanged
// (range 1), as a copy asks for each name before its record goes in.
void BM_LocateCatalogKey(benchmark::State& state) {
  Catalog catalog(1000);
  const std::string names[2] = {FileName(400), FileName(700)};
  std::size_t i = 0;
  for (auto _ : state) {
    const std::string& name = names[state.range(0) == 1 ? 0 : i++ % 2];
    benchmark::DoNotOptimize(LocateCatalogKey(catalog.ctx.volume.catalog, name, kFolder));
  }
}
BENCHMARK(BM_LocateCatalogKey)->Arg(0)->Arg(1);

// Insertions into a folder that already holds range(0) files.
void BM_Insert(benchmark::State& state) {
  const std::int64_t start = state.range(0);
  std::unique_ptr<Catalog> catalog;
  std::int64_t next = 0;
  for (auto _ : state) {
    if (!catalog || next == start + 200) {
      state.PauseTiming();
      catalog = std::make_unique<Catalog>(start);
      next = start;
      state.ResumeTiming();
    }
    catalog->Add(next++);
  }
}
BENCHMARK(BM_Insert)->Arg(0)->Arg(800);

}  // namespace
}  // namespace tarvo
