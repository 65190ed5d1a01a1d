// Delta application throughput: an 8 MB text with 1% of its lines changed.
#include <benchmark/benchmark.h>

#include "bench/bench_data.h"
#include "engine/diff/line_diff.h"
#include "engine/format/delta_format.h"
#include "engine/support/report.h"

namespace tarn::bench {
namespace {

class SilentHost final : public Host {
 public:
  void ReportMessage(std::string_view, int) override {}
  std::string AskQuestion() override { return "no"; }
};

void BM_ApplyDelta(benchmark::State& state) {
  SilentHost host;
  Host* previous = SetHost(&host);
  const TextPair pair = ChangedPair(200000, 1.0, 42);
  ByteBuffer delta;
  if (CompareBuffers(pair.source, pair.target, '\n', delta) != 1) {
    state.SkipWithError("comparison failed");
    SetHost(previous);
    return;
  }
  for (auto _ : state) {
    ByteBuffer target;
    if (ApplyDelta(pair.source, delta, target) != 1) state.SkipWithError("apply failed");
    benchmark::DoNotOptimize(target.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(pair.target.size()));
  state.counters["delta_bytes"] = static_cast<double>(delta.size());
  SetHost(previous);
}
BENCHMARK(BM_ApplyDelta)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarn::bench

BENCHMARK_MAIN();
