// The comparison: an 8 MB text against a copy with 1% of its lines changed,
// and the hard case of 100,000 lines drawn from a handful of distinct lines
// in shuffled order (no cost cut-off, so the search pays the full O(ND)).
#include <benchmark/benchmark.h>

#include "bench/bench_data.h"
#include "engine/diff/line_diff.h"
#include "engine/support/guarded_memory.h"
#include "engine/support/report.h"

namespace tarn::bench {
namespace {

class SilentHost final : public Host {
 public:
  void ReportMessage(std::string_view, int) override {}
  std::string AskQuestion() override { return "no"; }
};

void RunComparison(benchmark::State& state, const TextPair& pair) {
  SilentHost host;
  Host* previous = SetHost(&host);
  std::size_t delta_size = 0;
  std::size_t peak = 0;
  for (auto _ : state) {
    MemInit();
    ByteBuffer delta;
    if (CompareBuffers(pair.source, pair.target, '\n', delta) != 1) {
      state.SkipWithError("comparison failed");
    }
    delta_size = delta.size();
    peak = MemPeakBytes();
    delta = ByteBuffer();
    MemTerm();
  }
  state.SetBytesProcessed(
      state.iterations() * static_cast<std::int64_t>(pair.source.size() + pair.target.size()));
  state.counters["delta_bytes"] = static_cast<double>(delta_size);
  state.counters["peak_engine_MB"] = static_cast<double>(peak) / 1e6;
  state.counters["input_MB"] = static_cast<double>(pair.source.size()) / 1e6;
  SetHost(previous);
}

void BM_CompareOnePercent(benchmark::State& state) {
  static const TextPair pair = ChangedPair(200000, 1.0, 42);
  RunComparison(state, pair);
}
BENCHMARK(BM_CompareOnePercent)->Unit(benchmark::kMillisecond);

void BM_CompareFewDistinctLines(benchmark::State& state) {
  static const TextPair pair = FewDistinctLines(100000, 5, 7);
  RunComparison(state, pair);
}
BENCHMARK(BM_CompareFewDistinctLines)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace tarn::bench

BENCHMARK_MAIN();
