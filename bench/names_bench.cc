// Name hot paths: the catalog's name order and the character-table
// conversion every listed or copied name goes through.
#include <benchmark/benchmark.h>

#include <string>

#include "base/charset.h"
#include "hfs/name_order.h"

namespace tarvo {
namespace {

void BM_CompareNames(benchmark::State& state) {
  const std::string a = "Annual report 1996 (final).doc";
  const std::string b = "annual Report 1996 (draft).doc";
  for (auto _ : state) benchmark::DoNotOptimize(CompareNames(a, b));
}
BENCHMARK(BM_CompareNames);

void BM_MatchNameWildcard(benchmark::State& state) {
  const std::string name = "Annual report 1996 (final).doc";
  for (auto _ : state) benchmark::DoNotOptimize(MatchName("annual*", name));
}
BENCHMARK(BM_MatchNameWildcard);

void BM_ConvertString(benchmark::State& state) {
  const std::string name = "R\x8Esum\x8E \xA5 Caf\x8E cr\x8Fme br\x9Bl\x8E" "e";
  for (auto _ : state) benchmark::DoNotOptimize(ConvertString(name, MacToAnsi));
}
BENCHMARK(BM_ConvertString);

}  // namespace
}  // namespace tarvo
